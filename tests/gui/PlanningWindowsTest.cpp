// The four planning windows, each opened from the real main window by its button on the demo
// project, driven through its controls, and what the main window shows once it closed. The
// windows' rules are the core tests' business; these check the wiring.
#include "MainWindowHarness.h"

#include "planning/GlobalOptionsDialog.h"
#include "planning/LinkVobIdsDialog.h"
#include "planning/SetQFactorDialog.h"
#include "planning/TweakCellsDialog.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

using Id = MainWindow::Id;

namespace {

// The main window over the demo project, loaded by its button.
struct Harness : MainWindowHarness<> {
    Harness()
    {
        loadDemo();
        if (list()->count() != 5)
            qFatal("the demo project lists %d rows", list()->count());
    }
};

void clickRow(QListWidget *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

} // namespace

class PlanningWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void tweakCellsTakesATypedCellBitrateAndTheMainWindowShowsTheSegmentTweaked()
    {
        Harness h;
        h.selectRow(2);
        h.click(Id::AutosizedBox); // Tweak Cells opens on a segment the user plans by hand
        QVERIFY(!h.w<QCheckBox>(Id::TweakedBox)->isChecked());
        const Segment &segment = h.project.segment(2);
        const int before = segment.cells[0].bitrate;

        QString title, cellBitrate;
        const int result = h.runWindow(Id::TweakCellsButton, [&](QDialog &child) {
            title = child.windowTitle();
            QCOMPARE(in<QListWidget>(child, TweakCellsDialog::CellList)->count(), 5);
            in<QCheckBox>(child, TweakCellsDialog::AutosizedBox)->click(); // cell 0 held by hand
            type(in<QLineEdit>(child, TweakCellsDialog::BitrateEdit), QString::number(before - 1000));
            cellBitrate = in<QLineEdit>(child, TweakCellsDialog::BitrateEdit)->text();
            in<QPushButton>(child, TweakCellsDialog::ApplyButton)->click();
        });
        QCOMPARE(title, QString("Tweak Cells"));
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(segment.cells[0].bitrate, before - 1000);
        QCOMPARE(cellBitrate, QString::number(before - 1000));
        QVERIFY(h.w<QCheckBox>(Id::TweakedBox)->isChecked());
        QCOMPARE(h.text(Id::BitrateEdit), QString::number(segment.averageBitrate()));
    }

    void linkVobIdsLinksTheSelectedRowsAndTheMainWindowListsOneRowFewer()
    {
        Harness h;
        h.selectRow(0);
        const int cells = h.project.segment(0).cellCount() + h.project.segment(2).cellCount();
        const int result = h.runWindow(Id::LinkButton, [&](QDialog &child) {
            QCOMPARE(child.windowTitle(), QString("Link Vob-IDs"));
            auto *rows = in<QListWidget>(child, LinkVobIdsDialog::SegmentList);
            QCOMPARE(rows->count(), 3); // the segments of VTS 1
            clickRow(rows, 2);         // added to the selected row 0
            QCOMPARE(rows->selectedItems().size(), 2);
            // The Properties box follows the row last clicked.
            QCOMPARE(in<QLineEdit>(child, LinkVobIdsDialog::SegmentEdit)->text(), QString("VTS  1 - VobID  3"));
            in<QPushButton>(child, LinkVobIdsDialog::LinkSelectedButton)->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(h.project.lastSegmentIndex(), 4);
        QCOMPARE(h.project.segment(0).cellCount(), cells);
        QCOMPARE(h.list()->count(), 4);
        QCOMPARE(h.list()->item(1)->text(), QString("VTS  1 - Vob-ID   2"));
        QCOMPARE(h.list()->currentRow(), 0);

        // Cancel links nothing; the list is rebuilt all the same.
        QCOMPARE(h.runWindow(Id::LinkButton,
                             [](QDialog &child) { in<QPushButton>(child, LinkVobIdsDialog::CancelButton)->click(); }),
                 int(QDialog::Rejected));
        QCOMPARE(h.project.lastSegmentIndex(), 4);
    }

    void globalOptionsSliderAndOkSetTheTargetAndTheMainWindowRebalances()
    {
        Harness h;
        const std::int64_t initial = h.project.initialTotalSize;
        const QString status = h.text(Id::StatusEdit);
        const int autosizedBitrate = h.project.segment(0).averageBitrate();

        const int result = h.runWindow(Id::GlobalOptionsButton, [](QDialog &child) {
            QCOMPARE(child.windowTitle(), QString("Global Options"));
            auto *slider = in<QSlider>(child, GlobalOptionsDialog::PercentSlider);
            QCOMPARE(slider->value(), 1000);
            slider->setFocus();
            QTest::keyClick(slider, Qt::Key_End); // 105 %
            QCOMPARE(in<QLineEdit>(child, GlobalOptionsDialog::PercentEdit)->text(), QString("105"));
            in<QPushButton>(child, GlobalOptionsDialog::OkButton)->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(h.project.targetTotalSize, std::int64_t(double(initial) * 105.0 * 0.01));
        // Automatic distribution followed: the autosized segments grew, the disc estimate too.
        QVERIFY(h.project.segment(0).averageBitrate() > autosizedBitrate);
        QCOMPARE(h.text(Id::BitrateEdit), QString::number(h.project.segment(0).averageBitrate()));
        QVERIFY(h.text(Id::StatusEdit) != status);

        // Escape is Cancel: the target stays.
        const std::int64_t target = h.project.targetTotalSize;
        QCOMPARE(h.runWindow(Id::GlobalOptionsButton,
                             [](QDialog &child) {
                                 auto *slider = in<QSlider>(child, GlobalOptionsDialog::PercentSlider);
                                 slider->setFocus();
                                 QTest::keyClick(slider, Qt::Key_Home);
                                 QTest::keyClick(&child, Qt::Key_Escape);
                             }),
                 int(QDialog::Rejected));
        QCOMPARE(h.project.targetTotalSize, target);
    }

    void setQFactorSetsTheTypedQAndEnterInTheFieldPressesOk()
    {
        Harness h;
        h.selectRow(1); // the OPV segment
        QVERIFY(h.w(Id::CustomQButton)->isEnabled());
        Segment &segment = h.project.segment(1);
        segment.replanned = true; // as after the OPV button: "Calculated"

        const int result = h.runWindow(Id::CustomQButton, [&](QDialog &child) {
            QCOMPARE(child.windowTitle(), QString("Set Q Factor"));
            auto *q = in<QLineEdit>(child, SetQFactorDialog::QEdit);
            QVERIFY(in<QRadioButton>(child, SetQFactorDialog::CalculatedRadio)->isChecked());
            QVERIFY(!q->isEnabled());
            in<QRadioButton>(child, SetQFactorDialog::SetToRadio)->click();
            QVERIFY(q->isEnabled());
            type(q, "200"); // Enter is OK: refused, the window stays
            QCOMPARE(h.desktop.lastMessage(), std::string("Please enter an integer between 1 and 128."));
            QVERIFY(child.isVisible());
            type(q, "40");
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(segment.settings.opvQFactor, 40);
        QVERIFY(!segment.replanned);
        QVERIFY(h.w(Id::CustomQButton)->isEnabled());

        // Cancel after choosing the other radio changes nothing.
        QCOMPARE(h.runWindow(Id::CustomQButton,
                             [](QDialog &child) {
                                 in<QRadioButton>(child, SetQFactorDialog::CalculatedRadio)->click();
                                 in<QPushButton>(child, SetQFactorDialog::CancelButton)->click();
                             }),
                 int(QDialog::Rejected));
        QVERIFY(!segment.replanned);
    }
};

QTEST_MAIN(PlanningWindowsTest)
#include "PlanningWindowsTest.moc"
