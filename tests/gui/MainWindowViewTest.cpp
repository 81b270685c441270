#include "MainWindowHarness.h"

#include "common/Format.h"
#include "project/Project.h"
#include "support/ProjectFilesBuilder.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <memory>

using Id = MainWindow::Id;

namespace {

// One window over one project, as main() builds it; programs really start.
struct Harness : MainWindowHarness<StartingDesktop> {
    bool enabled(Id id) const { return w(id)->isEnabled(); }

    // Loads through the button, answering the chooser with the builder's files.
    bool load(const ProjectFilesBuilder &files)
    {
        desktop.chosenFiles.push_back(files.writeTo(projectFolder));
        click(Id::LoadButton);
        return project.isLoaded();
    }
    void typeBitrate(const QString &value) const
    {
        QLineEdit *edit = w<QLineEdit>(Id::BitrateEdit);
        edit->setText(value);
        QTest::keyClick(edit, Qt::Key_Return);
    }
};

// Segments (VTS 1, Vob-IDs 1..n), one cell each, with the given frames and bitrates.
ProjectFilesBuilder segmentsOf(const std::vector<std::pair<int, int>> &framesAndBitrates)
{
    ProjectFilesBuilder files;
    files.infHead = {"Original_Size=1000000", "Excluded_Audio_Sub_Size=20000", "mode=1", "CCEType=3",
                     "VTS_01=900000"};
    int vob = 1;
    for (auto [frames, bitrate] : framesAndBitrates) {
        CellEntry &cell = files.add(1, vob++, 1, frames, bitrate);
        cell.itemLines = {"video_type=16"};
    }
    return files;
}

} // namespace

class MainWindowViewTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithOnlyLoadExitAndAboutUsable()
    {
        Harness h;
        QCOMPARE(h.view->windowTitle(), QString("Tavro v0.17 BETA!!!"));
        const Id usable[] = {Id::LoadButton, Id::ExitButton, Id::AboutButton, Id::SegmentList};
        for (Id id : usable)
            QVERIFY2(h.enabled(id), qPrintable(QString::number(int(id))));
        const Id unusable[] = {Id::AutosizedBox, Id::BitrateEdit, Id::ReductionSlider,
                                    Id::SaveButton, Id::ResetButton, Id::LinkButton,
                                    Id::TweakCellsButton, Id::VbrRadio, Id::OpvRadio,
                                    Id::HideBox, Id::TweakedBox};
        for (Id id : unusable)
            QVERIFY2(!h.enabled(id), qPrintable(QString::number(int(id))));
        QVERIFY(h.w<QCheckBox>(Id::HideBox)->isChecked());
        // Figures are empty until a project is loaded, and drawn as fields nobody types in.
        for (Id figure : {Id::TotalSizeEdit, Id::ReductionEdit, Id::DurationEdit, Id::SegmentSizeEdit, Id::StatusEdit}) {
            QLineEdit *field = h.w<QLineEdit>(figure);
            QVERIFY(field->text().isEmpty());
            QVERIFY(field->isReadOnly());
            QCOMPARE(field->palette().color(QPalette::Base), field->palette().color(QPalette::Window));
        }
        QCOMPARE(h.w<QPushButton>(Id::TweakCellsButton)->text(), QString("&Tweak Cells"));
    }

    void loadListsTheSegmentsAndSelectsTheFirst()
    {
        Harness h;
        ProjectFilesBuilder files = segmentsOf({{20000, 4000}, {30000, 5000}, {5, 3000}});
        QVERIFY(h.load(files));
        QCOMPARE(h.desktop.choosers.size(), std::size_t(1));
        QCOMPARE(h.desktop.choosers[0].title, std::string("Open Rebuilder.inf ..."));
        QCOMPARE(h.desktop.choosers[0].defaultName, std::string("REBUILDER.INF"));
        // The 5-frame segment is far below 0.1 % of the project: hidden.
        QCOMPARE(h.list()->count(), 2);
        QCOMPARE(h.list()->item(0)->text(), QString("VTS  1 - Vob-ID   1"));
        QCOMPARE(h.list()->currentRow(), 0);
        QCOMPARE(h.text(Id::BitrateEdit), QString("4000"));
        QCOMPARE(h.text(Id::TotalSizeEdit), QString("100"));
        QVERIFY(h.enabled(Id::LinkButton));
        QVERIFY(h.enabled(Id::SaveButton));
        QVERIFY(!h.enabled(Id::BitrateEdit)); // autosized
        QCOMPARE(h.w<QPushButton>(Id::SettingsButton)->text(), QString("&CCE Settings"));
        // Overhead 1000000 - 900000 - 20000 sectors: the status line shows the disc estimate.
        QVERIFY(h.text(Id::StatusEdit).startsWith("DVD Estimated Size: "));

        h.w<QCheckBox>(Id::HideBox)->click();
        QCOMPARE(h.list()->count(), 3);
    }

    void rowsUseFourDigitsFromAThousandSegments()
    {
        Harness h;
        std::vector<std::pair<int, int>> many(1000, {1000, 4000});
        QVERIFY(h.load(segmentsOf(many)));
        h.w<QCheckBox>(Id::HideBox)->click(); // every segment is exactly 0.1 %: shown only now
        QCOMPARE(h.list()->count(), 1000);
        QCOMPARE(h.list()->item(0)->text(), QString("VTS  1 - Vob-ID    1"));
        QCOMPARE(h.list()->item(999)->text(), QString("VTS  1 - Vob-ID 1000"));
    }

    void typedBitrateRebalancesTheAutosizedSegments()
    {
        Harness h;
        QVERIFY(h.load(segmentsOf({{20000, 4000}, {20000, 4000}})));
        h.click(Id::AutosizedBox);
        QVERIFY(!h.window.project().segment(0).autosized);
        QVERIFY(h.enabled(Id::BitrateEdit));
        QVERIFY(h.enabled(Id::ReductionSlider));
        QVERIFY(h.enabled(Id::TweakCellsButton));
        h.typeBitrate("3000");
        // The cells get one more than typed; the other segment pays for the difference.
        QCOMPARE(h.project.segment(0).cells[0].bitrate, 3001);
        QVERIFY(h.project.segment(1).cells[0].bitrate > 4900);
        QCOMPARE(h.text(Id::BitrateEdit), QString("3001"));
        QCOMPARE(h.text(Id::TotalSizeEdit), QString("100"));

        h.typeBitrate("fast");
        QCOMPARE(h.desktop.lastMessage(), std::string("Please enter a positive integer."));
        QCOMPARE(h.project.segment(0).cells[0].bitrate, 3001);
        QCOMPARE(h.text(Id::BitrateEdit), QString("3001"));
    }

    void sliderAppliesWhileItMoves()
    {
        Harness h;
        QVERIFY(h.load(segmentsOf({{20000, 4000}, {20000, 4000}})));
        QSlider *slider = h.w<QSlider>(Id::ReductionSlider);
        slider->setValue(2000); // autosized: the slider is off and does nothing
        QCOMPARE(h.project.segment(0).cells[0].bitrate, 4000);
        h.click(Id::AutosizedBox);
        const int before = slider->value();
        slider->setValue(before / 2);
        QVERIFY(h.project.segment(0).cells[0].bitrate < 4000);
        QVERIFY(h.project.segment(0).replanned);
        QCOMPARE(slider->value(), before / 2);
        QCOMPARE(h.text(Id::ReductionEdit).toStdString(), h.window.control(MainWindow::ReductionEdit).text);
    }

    void resetBitratesPutsTheLoadedBitratesBack()
    {
        Harness h;
        QVERIFY(h.load(segmentsOf({{20000, 4000}, {20000, 4000}})));
        h.click(Id::AutosizedBox);
        h.typeBitrate("2500");
        QVERIFY(h.project.segment(1).cells[0].bitrate != 4000);
        h.click(Id::ResetButton);
        QCOMPARE(h.project.segment(0).cells[0].bitrate, 4000);
        QCOMPARE(h.project.segment(1).cells[0].bitrate, 4000);
        QCOMPARE(h.text(Id::BitrateEdit), QString("4000"));
        QVERIFY(!h.w<QCheckBox>(Id::AutosizedBox)->isChecked() == !h.project.segment(0).autosized);
    }

    void vbrAndOpvFollowSizeAndEncoder()
    {
        // 3000 frames is small: VBR/OPV only after "Enable OPV for small Vob-IDs".
        Harness h;
        QVERIFY(h.load(segmentsOf({{3000, 4000}, {20000, 4000}})));
        QVERIFY(h.w<QRadioButton>(Id::VbrRadio)->isChecked());
        QVERIFY(!h.enabled(Id::OpvRadio));
        h.w<QCheckBox>(Id::OpvForSmallBox)->click();
        QVERIFY(h.enabled(Id::OpvRadio));
        h.click(Id::OpvRadio);
        QVERIFY(!h.project.segment(0).vbrMode);
        QCOMPARE(h.project.segment(0).settings.videoType, 4);
        QVERIFY(h.project.segment(0).replanned);
        QVERIFY(h.enabled(Id::CustomQButton));
        // An OPV segment keeps the choice open even with the box cleared.
        h.w<QCheckBox>(Id::OpvForSmallBox)->click();
        QVERIFY(h.enabled(Id::VbrRadio));

        Harness type2;
        ProjectFilesBuilder files = segmentsOf({{20000, 4000}});
        files.infHead.push_back("CCEType=2");
        QVERIFY(type2.load(files));
        QVERIFY(!type2.enabled(Id::VbrRadio));
        QVERIFY(!type2.enabled(Id::OpvRadio));
        QVERIFY(!type2.enabled(Id::CustomQButton));
    }

    void saveWritesTheFilesAndAsksOnlyAboveTheOversizeThreshold()
    {
        struct Case {
            int bitrate; // of 100000 frames planned at 10000 kbit/s
            bool asks;
        };
        const Case cases[] = {{10009, false}, {10010, true}}; // 100.09 % and 100.1 %
        for (const Case &c : cases) {
            Harness h;
            ProjectFilesBuilder files = segmentsOf({{100000, 10000}});
            files.cells[0].reduction = "40.0";
            QVERIFY(h.load(files));
            h.project.segment(0).cells[0].bitrate = c.bitrate;
            h.desktop.answers = {true};
            h.click(Id::SaveButton);
            QCOMPARE(h.desktop.questions.size(), std::size_t(c.asks ? 1 : 0));
            if (c.asks)
                QCOMPARE(h.desktop.questions[0].text, std::string("This is an oversized DVD.\nDo you want to continue?"));
            QCOMPARE(h.desktop.lastMessage(), std::string("Settings Saved"));
            const std::string inf = h.projectFolder.file("Rebuilder.INF");
            QVERIFY(fileExists(inf + ".original"));
            QVERIFY(fileExists(inf + ".bak"));
            QVERIFY(readBytes(h.projectFolder.file("Rebuilder.ECL")).find(cformat("vbr_brate_avg=%d\r\n", c.bitrate))
                    != std::string::npos);
        }

        Harness declined;
        QVERIFY(declined.load(segmentsOf({{100000, 10000}})));
        declined.project.segment(0).cells[0].bitrate = 10500;
        declined.desktop.answers = {false};
        declined.click(Id::SaveButton);
        QVERIFY(declined.desktop.messages.empty());
        QVERIFY(!fileExists(declined.projectFolder.file("Rebuilder.INF.bak")));
    }

    void exitEscapeAndTheCloseBoxAskBeforeLosingWork()
    {
        Harness h;
        QVERIFY(h.load(segmentsOf({{20000, 4000}})));
        h.view->show();
        h.project.scriptsModified = true;
        h.desktop.answers = {false};
        h.click(Id::ExitButton);
        QCOMPARE(h.desktop.questions.size(), std::size_t(1));
        QVERIFY(h.view->isVisible());
        h.desktop.answers = {true};
        h.click(Id::ExitButton);
        QVERIFY(!h.view->isVisible());

        Harness clean;
        clean.view->show();
        clean.click(Id::ExitButton);
        QVERIFY(clean.desktop.questions.empty());
        QVERIFY(!clean.view->isVisible());

        // An unsaved plan: Escape and the close box ask too.
        Harness planned;
        QVERIFY(planned.load(segmentsOf({{20000, 4000}, {20000, 4000}})));
        planned.view->show();
        planned.click(Id::AutosizedBox);
        planned.typeBitrate("3000");
        planned.desktop.answers = {false};
        QTest::keyClick(planned.view.get(), Qt::Key_Escape);
        QVERIFY(planned.view->isVisible());
        planned.desktop.answers = {true};
        planned.view->close();
        QVERIFY(!planned.view->isVisible());
        QCOMPARE(planned.desktop.questions.size(), std::size_t(2));
        QCOMPARE(planned.desktop.questions[1].text, std::string(MainWindow::unsavedPlanQuestion));
    }

    void previewWritesTheStretchedScriptAndStartsThePlayer()
    {
        Harness h;
        ProjectFilesBuilder files = segmentsOf({{20000, 4000}});
        files.add(1, 1, 2, 5000, 4000).itemLines = {"video_type=16"};
        QVERIFY(h.load(files));
        // Point the first cell at a real script.
        const std::string script =
            h.projectFolder.write("first cell.avs", "Mpeg2Source(\"VTS_01_1.d2v\")\r\nTrim(1200,2399)\r\n");
        h.project.segment(0).cells[0].name = script;
        const std::string recorded = h.projectFolder.file("player-arguments.txt");
        qputenv("TAVRO_RECORD_ARGS_TO", QByteArray::fromStdString(recorded));
        h.settings.mediaPlayerPath = TAVRO_RECORD_ARGS;

        h.click(Id::PreviewButton);
        const std::string testScript = testScriptPathIn(h.settingsFolder.path());
        QCOMPARE(readBytes(testScript), std::string("Mpeg2Source(\"VTS_01_1.d2v\")\r\nTrim(1200,-25000)\r\n"));
        QCOMPARE(readBytes(recorded), testScript + "\n");
        QVERIFY(h.desktop.messages.empty());
    }

    void failedLoadLeavesNoSelectableRow()
    {
        Harness h;
        QVERIFY(h.load(segmentsOf({{20000, 4000}, {20000, 4000}})));
        QCOMPARE(h.list()->count(), 2);
        h.desktop.chosenFiles.push_back(h.projectFolder.file("missing/Rebuilder.INF"));
        h.click(Id::LoadButton);
        QCOMPARE(h.desktop.lastMessage(), "Error loading Rebuilder.INF\n" + h.projectFolder.file("missing/Rebuilder.INF")
                                              + ": No such file or directory");
        QCOMPARE(h.list()->count(), 0);
        QVERIFY(!h.enabled(Id::SaveButton));
        QVERIFY(!h.enabled(Id::AutosizedBox));
        QVERIFY(!h.enabled(Id::BitrateEdit));
        h.list()->setCurrentRow(0); // nothing there to select
        QCOMPARE(h.window.selectedSegment(), nullptr);
    }
};

QTEST_MAIN(MainWindowViewTest)
#include "MainWindowViewTest.moc"
