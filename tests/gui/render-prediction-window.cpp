// Renders OPV Prediction after a finished run, opened by the main window's save on the demo
// project with its OPV segment replanned and tools/fake-cce as the encoder, and optionally
// also while the run goes on (an encoder running, the log partly filled):
//   render-prediction-window <done.png> [<running.png>]
// Run on the offscreen platform (QT_QPA_PLATFORM=offscreen) by scripts/screenshots.
#include "app/MainWindowView.h"

#include "ProjectGenerator.h"
#include "prediction/PredictionDialog.h"
#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: render-prediction-window <done.png> [<running.png>]\n");
        return 2;
    }
    const bool running = argc == 3;
    // Each trial takes a while, so that the run can be caught between two of them.
    if (running)
        qputenv("FAKE_CCE_DELAY_MS", "700");
    TempFolder projectFolder;
    TempFolder settingsFolder;
    std::string inf;
    std::string error;
    if (!generateProject(demoOptions(1), projectFolder.path(), &inf, &error)) {
        std::fprintf(stderr, "cannot write the demo project: %s\n", error.c_str());
        return 1;
    }

    FakeDesktop desktop;
    desktop.chosenFiles.push_back(inf);
    AppSettings settings;
    settings.ccePath = TAVRO_FAKE_CCE;
    settings.doublePass = true;
    Project project;
    MainWindow window(project, desktop, settings, settingsFolder.path());
    MainWindowView view(window);
    view.show();
    qobject_cast<QAbstractButton *>(view.control(MainWindow::LoadButton))->click();
    qobject_cast<QListWidget *>(view.control(MainWindow::SegmentList))->setCurrentRow(1);
    qobject_cast<QAbstractButton *>(view.control(MainWindow::AutosizedBox))->click();
    auto *bitrate = qobject_cast<QLineEdit *>(view.control(MainWindow::BitrateEdit));
    bitrate->setText(QString::number(bitrate->text().toInt() - 500));
    emit bitrate->editingFinished();
    if (running) {
        // Three more segments switched to OPV, for a run of two parallel encoders.
        auto *list = qobject_cast<QListWidget *>(view.control(MainWindow::SegmentList));
        auto *opv = qobject_cast<QAbstractButton *>(view.control(MainWindow::OpvRadio));
        int more = 0;
        for (int row = 0; row < list->count() && more < 3; ++row) {
            if (row == 1)
                continue;
            list->setCurrentRow(row);
            if (opv->isEnabled() && !opv->isChecked()) {
                opv->click();
                ++more;
            }
        }
    }

    bool shot = false;
    setChildDialogDriver([&](QDialog &child) {
        auto *predict = child.findChild<QPushButton *>(QString("id%1").arg(PredictionDialog::PredictButton));
        auto *save = child.findChild<QPushButton *>(QString("id%1").arg(PredictionDialog::SaveButton));
        if (!predict || !save)
            return;
        if (running) {
            auto *parallel = child.findChild<QLineEdit *>(QString("id%1").arg(PredictionDialog::ParallelEncodersEdit));
            parallel->setText("2");
            emit parallel->textEdited(parallel->text());
        }
        predict->click();
        if (running) {
            // Caught while two encoders run, after the first segment has ended: its lines in
            // the log, the two segments running on the line under it, Abort offered.
            auto *log = child.findChild<QPlainTextEdit *>(QString("id%1").arg(PredictionDialog::LogBox));
            auto *progress = child.findChild<QLabel *>(QString("id%1").arg(PredictionDialog::ProgressLine));
            const auto caught = [&] {
                return log->toPlainText().contains("*** Using Q factor") && progress->text().startsWith("Segments ");
            };
            const QDeadlineTimer deadline(60000);
            while (!caught() && !deadline.hasExpired())
                app.processEvents(QEventLoop::WaitForMoreEvents, 20);
            app.processEvents();
            if (!caught() || !child.grab().save(QString::fromLocal8Bit(argv[2])))
                return;
        }
        const QDeadlineTimer deadline(60000);
        while (!save->isEnabled() && !deadline.hasExpired())
            app.processEvents(QEventLoop::WaitForMoreEvents, 50);
        app.processEvents();
        shot = save->isEnabled() && child.grab().save(QString::fromLocal8Bit(argv[1]));
    });
    // The window's Cancel (the driver leaves it open) abandons the save: the demo stays as made.
    qobject_cast<QAbstractButton *>(view.control(MainWindow::SaveButton))->click();
    setChildDialogDriver({});
    if (!shot) {
        std::fprintf(stderr, "cannot render %s\n", argv[1]);
        return 1;
    }
    std::printf("%s\n", argv[1]);
    if (running)
        std::printf("%s\n", argv[2]);
    return 0;
}
