// Renders OPV Prediction after a finished run, opened by the main window's save on the demo
// project with its OPV segment replanned and tools/fake-cce as the encoder, and optionally
// also while the run goes on (an encoder running, the log partly filled):
//   render-prediction-window <done.png> [<running.png>]
// Run on the offscreen platform (QT_QPA_PLATFORM=offscreen) by scripts/screenshots.
#include "MainWindowHarness.h"

#include "prediction/PredictionDialog.h"

#include <QApplication>
#include <QDeadlineTimer>
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
    MainWindowHarness<> h;
    h.settings.ccePath = TAVRO_FAKE_CCE;
    h.settings.doublePass = true;
    h.loadDemo();
    h.selectRow(1);
    h.click(MainWindow::AutosizedBox);
    auto *bitrate = h.w<QLineEdit>(MainWindow::BitrateEdit);
    bitrate->setText(QString::number(bitrate->text().toInt() - 500));
    emit bitrate->editingFinished();
    if (running) {
        // Three more segments switched to OPV, for a run of two parallel encoders.
        QListWidget *list = h.list();
        auto *opv = h.w<QAbstractButton>(MainWindow::OpvRadio);
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
    // The window's Cancel (the driver leaves it open) abandons the save: the demo stays as made.
    h.runWindow(MainWindow::SaveButton, [&](QDialog &child) {
        auto *predict = child.findChild<QPushButton *>(QString("id%1").arg(PredictionDialog::PredictButton));
        auto *save = child.findChild<QPushButton *>(QString("id%1").arg(PredictionDialog::SaveButton));
        if (!predict || !save)
            return;
        if (running) {
            auto *parallel = in<QLineEdit>(child, PredictionDialog::ParallelEncodersEdit);
            parallel->setText("2");
            emit parallel->textEdited(parallel->text());
        }
        predict->click();
        if (running) {
            // Caught while two encoders run, after the first segment has ended: its lines in
            // the log, the two segments running on the line under it, Abort offered.
            auto *log = in<QPlainTextEdit>(child, PredictionDialog::LogBox);
            auto *progress = in<QLabel>(child, PredictionDialog::ProgressLine);
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
    if (!shot) {
        std::fprintf(stderr, "cannot render %s\n", argv[1]);
        return 1;
    }
    std::printf("%s\n", argv[1]);
    if (running)
        std::printf("%s\n", argv[2]);
    return 0;
}
