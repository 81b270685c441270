// The four planning windows, each opened from the real main window by its button on the demo
// project, driven through its controls, and what the main window shows once it closed. The
// windows' rules are the core tests' business; these check the wiring.
#include "app/MainWindowView.h"

#include "ProjectGenerator.h"
#include "planning/GlobalOptionsDialog.h"
#include "planning/LinkVobIdsDialog.h"
#include "planning/SetQFactorDialog.h"
#include "planning/TweakCellsDialog.h"
#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/TempFolder.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <functional>
#include <memory>

using Id = MainWindow::Id;

namespace {

// The main window over the demo project (make-project's demo, seed 1), loaded by its button:
//   row 0  VTS 1 - Vob-ID 1  VBR, 3 cells
//   row 1  VTS 1 - Vob-ID 2  OPV, 5 cells
//   row 2  VTS 1 - Vob-ID 3  VBR, 5 cells
//   row 3  VTS 2 - Vob-ID 1, row 4  VTS 2 - Vob-ID 2 (a third, tiny segment of VTS 2 is hidden)
struct Harness {
    TempFolder projectFolder;
    TempFolder settingsFolder;
    FakeDesktop desktop;
    AppSettings settings;
    Project project;
    MainWindow window{project, desktop, settings, settingsFolder.path()};
    std::unique_ptr<MainWindowView> view;

    Harness()
    {
        std::string inf;
        std::string error;
        if (!generateProject(demoOptions(1), projectFolder.path(), &inf, &error))
            qFatal("cannot write the demo project: %s", error.c_str());
        view = std::make_unique<MainWindowView>(window);
        view->show();
        desktop.chosenFiles.push_back(inf);
        click(Id::LoadButton);
        if (list()->count() != 5)
            qFatal("the demo project lists %d rows", list()->count());
    }
    ~Harness() { setChildDialogDriver({}); }

    template <typename Widget = QWidget>
    Widget *w(Id id) const
    {
        auto *widget = qobject_cast<Widget *>(view->control(id));
        if (!widget)
            qFatal("no widget for control %d", int(id));
        return widget;
    }
    QListWidget *list() const { return w<QListWidget>(Id::SegmentList); }
    QString text(Id id) const { return w<QLineEdit>(id)->text(); }
    void click(Id id) const { w<QAbstractButton>(id)->click(); }
    void selectRow(int row) const { list()->setCurrentRow(row); }

    // Presses a main-window button whose window `drive` then works in, from inside its modal
    // loop. Returns how the window ended; fails the test when no window ran.
    int runWindow(Id button, const std::function<void(QDialog &)> &drive)
    {
        int result = -1;
        bool ran = false;
        setChildDialogDriver([&](QDialog &child) {
            ran = true;
            drive(child);
            if (!child.isVisible())
                result = child.result();
        });
        click(button);
        setChildDialogDriver({});
        if (!ran)
            qWarning("no window opened for control %d", int(button));
        return ran ? result : -2;
    }
};

template <typename Widget = QWidget>
Widget *in(QDialog &child, int id)
{
    auto *widget = child.findChild<Widget *>(QString("id%1").arg(id));
    if (!widget)
        qFatal("no widget for control %d in %s", id, qPrintable(child.windowTitle()));
    return widget;
}

void type(QLineEdit *field, const QString &text, Qt::Key end = Qt::Key_Return)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, end);
}

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
