// The prediction window, opened by the main window's save on the demo project with its OPV
// segment replanned, run with tools/fake-cce as the encoder. The search's rules are the core
// tests' business; these check the wiring: the save opens the window, PREDICT runs the encoder
// and the log fills, Save lets the save write the Q factor, Cancel abandons it.
#include "MainWindowHarness.h"

#include "prediction/PredictionDialog.h"

#include <QPlainTextEdit>
#include <QPushButton>

using Id = MainWindow::Id;
using PId = PredictionDialog::Id;

namespace {

// The main window over the demo project, whose row 1 is an OPV segment, replanned by a bitrate
// typed into the main window. The encoder is fake-cce.
struct Harness : MainWindowHarness<> {
    std::string infBefore;
    std::string eclBefore;

    Harness()
    {
        settings.ccePath = TAVRO_FAKE_CCE;
        loadDemo();
        infBefore = readBytes(inf);
        eclBefore = readBytes(project.eclPath());
        selectRow(1);
        click(Id::AutosizedBox); // planned by hand: its bitrate field takes a value
        auto *bitrate = w<QLineEdit>(Id::BitrateEdit);
        type(bitrate, QString::number(bitrate->text().toInt() - 500));
        if (!project.segment(window.currentSegment()).replanned)
            qFatal("the typed bitrate did not replan the OPV segment");
    }

    // Presses Save with `drive` working in the window it opens. False when none opened.
    bool save(const std::function<void(QDialog &)> &drive)
    {
        bool ran = false;
        runWindow(Id::SaveButton, [&](QDialog &child) {
            ran = ran || child.windowTitle() == PredictionDialog::title;
            drive(child);
        });
        return ran;
    }
};

} // namespace

class PredictionViewTest : public QObject {
    Q_OBJECT
private slots:
    void predictRunsTheEncoderAndSaveWritesTheQFactor()
    {
        Harness h;
        const int segment = h.window.currentSegment();
        QString log;
        const bool opened = h.save([&](QDialog &child) {
            auto *save = in<QPushButton>(child, PId::SaveButton);
            QVERIFY(!save->isEnabled());
            in<QPushButton>(child, PId::PredictButton)->click();
            // The encoder runs while the event loop goes on: Cancel has become Abort.
            QCOMPARE(in<QPushButton>(child, PId::CancelButton)->text(), QString("Abort"));
            QVERIFY(QTest::qWaitFor([&] { return save->isEnabled(); }, 60000));
            log = in<QPlainTextEdit>(child, PId::LogBox)->toPlainText();
            save->click();
            QVERIFY(!child.isVisible());
        });
        QVERIFY(opened);
        QVERIFY(!log.isEmpty());
        const int q = h.project.segment(segment).settings.opvQFactor;
        QVERIFY(q > 0);
        const std::string ecl = readBytes(h.project.eclPath());
        QVERIFY(ecl != h.eclBefore);
        QVERIFY(ecl.find("opv_q_factor=" + std::to_string(q) + "\r\n") != std::string::npos);
        QCOMPARE(h.desktop.lastMessage(), std::string("Settings Saved"));
    }

    void theParallelEncodersFieldReachesTheRunAndTheSettingsFile()
    {
        Harness h;
        const bool opened = h.save([&](QDialog &child) {
            auto *parallel = in<QLineEdit>(child, PId::ParallelEncodersEdit);
            QCOMPARE(parallel->text(), QString("1"));
            parallel->selectAll();
            QTest::keyClicks(parallel, "3");
            in<QPushButton>(child, PId::PredictButton)->click();
            QVERIFY(!parallel->isEnabled());
            auto *save = in<QPushButton>(child, PId::SaveButton);
            QVERIFY(QTest::qWaitFor([&] { return save->isEnabled(); }, 60000));
            save->click();
        });
        QVERIFY(opened);
        QCOMPARE(h.settings.parallelEncoders, 3);
        QVERIFY(readBytes(h.settingsFolder.file("Tavro.ini")).find("opv_parallel_encoders=3\r\n") != std::string::npos);
    }

    void abortWaitsForTheEncoderAndCancelLeavesTheProjectFilesAlone()
    {
        Harness h;
        const bool opened = h.save([&](QDialog &child) {
            auto *cancel = in<QPushButton>(child, PId::CancelButton);
            in<QPushButton>(child, PId::PredictButton)->click();
            // Abort: the window stays until the encoder has ended by itself and the run stopped.
            cancel->click();
            QVERIFY(child.isVisible());
            QVERIFY(QTest::qWaitFor([&] { return cancel->text() == "Cancel"; }, 60000));
            QVERIFY(child.isVisible());
            cancel->click();
            QVERIFY(!child.isVisible());
        });
        QVERIFY(opened);
        QCOMPARE(readBytes(h.inf), h.infBefore);
        QCOMPARE(readBytes(h.project.eclPath()), h.eclBefore);
    }
};

QTEST_MAIN(PredictionViewTest)
#include "PredictionViewTest.moc"
