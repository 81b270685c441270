// The prediction window, opened by the main window's save on the demo project with its OPV
// segment replanned, run with tools/fake-cce as the encoder. The search's rules are the core
// tests' business; these check the wiring: the save opens the window, PREDICT runs the encoder
// and the log fills, Save lets the save write the Q factor, Cancel abandons it.
#include "app/MainWindowView.h"

#include "ProjectGenerator.h"
#include "prediction/PredictionDialog.h"
#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/TempFolder.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

using Id = MainWindow::Id;
using PId = PredictionDialog::Id;

namespace {

std::string contents(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The main window over the demo project (seed 1), whose row 1 is an OPV segment, replanned
// by a bitrate typed into the main window. The encoder is fake-cce.
struct Harness {
    TempFolder projectFolder;
    TempFolder settingsFolder;
    FakeDesktop desktop;
    AppSettings settings;
    Project project;
    MainWindow window{project, desktop, settings, settingsFolder.path()};
    std::unique_ptr<MainWindowView> view;
    std::string inf;
    std::string infBefore;
    std::string eclBefore;

    Harness()
    {
        std::string error;
        if (!generateProject(demoOptions(1), projectFolder.path(), &inf, &error))
            qFatal("cannot write the demo project: %s", error.c_str());
        settings.ccePath = TAVRO_FAKE_CCE;
        view = std::make_unique<MainWindowView>(window);
        view->show();
        desktop.chosenFiles.push_back(inf);
        click(Id::LoadButton);
        infBefore = contents(inf);
        eclBefore = contents(project.eclPath());

        auto *list = qobject_cast<QListWidget *>(view->control(Id::SegmentList));
        list->setCurrentRow(1);
        click(Id::AutosizedBox); // planned by hand: its bitrate field takes a value
        auto *bitrate = qobject_cast<QLineEdit *>(view->control(Id::BitrateEdit));
        bitrate->setText(QString::number(bitrate->text().toInt() - 500));
        QTest::keyClick(bitrate, Qt::Key_Return);
        if (!project.segment(window.currentSegment()).replanned)
            qFatal("the typed bitrate did not replan the OPV segment");
    }
    ~Harness() { setChildDialogDriver({}); }

    void click(Id id) const { qobject_cast<QAbstractButton *>(view->control(id))->click(); }

    // Presses Save with `drive` working in the window it opens. False when none opened.
    bool save(const std::function<void(QDialog &)> &drive)
    {
        bool ran = false;
        setChildDialogDriver([&](QDialog &child) {
            ran = child.windowTitle() == PredictionDialog::title;
            drive(child);
        });
        click(Id::SaveButton);
        setChildDialogDriver({});
        return ran;
    }
};

template <typename Widget = QWidget>
Widget *in(QDialog &child, int id)
{
    auto *widget = child.findChild<Widget *>(QString("id%1").arg(id));
    if (!widget)
        qFatal("no widget for control %d", id);
    return widget;
}

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
        const std::string ecl = contents(h.project.eclPath());
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
        QVERIFY(contents(h.settingsFolder.file("Tavro.ini")).find("opv_parallel_encoders=3\r\n") != std::string::npos);
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
        QCOMPARE(contents(h.inf), h.infBefore);
        QCOMPARE(contents(h.project.eclPath()), h.eclBefore);
    }
};

QTEST_MAIN(PredictionViewTest)
#include "PredictionViewTest.moc"
