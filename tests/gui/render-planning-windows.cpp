// Renders the four planning windows, each opened from the main window by its button on the demo
// project and set to a typical state, to PNGs in a folder:
//   render-planning-windows <folder>
// writes tweak-cells.png, link-vob-ids.png, global-options.png and set-q-factor.png.
// Run on the offscreen platform (QT_QPA_PLATFORM=offscreen) by scripts/screenshots.
#include "MainWindowHarness.h"

#include "planning/GlobalOptionsDialog.h"
#include "planning/LinkVobIdsDialog.h"
#include "planning/SetQFactorDialog.h"
#include "planning/TweakCellsDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPixmap>
#include <QRadioButton>
#include <QSlider>

#include <cstdio>
#include <functional>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render-planning-windows <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    MainWindowHarness<> h;
    h.loadDemo();

    bool failed = false;
    // Opens a window by its button, lets `pose` set it up, and saves a picture of it.
    auto render = [&](MainWindow::Id button, const char *file, const std::function<void(QDialog &)> &pose) {
        bool shot = false;
        h.runWindow(button, [&](QDialog &child) {
            pose(child);
            app.processEvents();
            const QString path = folder.filePath(file);
            shot = child.grab().save(path);
            if (shot)
                std::printf("%s\n", qPrintable(path));
        });
        if (!shot) {
            std::fprintf(stderr, "cannot render %s\n", file);
            failed = true;
        }
    };

    // Tweak Cells on VTS 1 - Vob-ID 3, planned by hand, its first cell lowered.
    h.selectRow(2);
    h.click(MainWindow::AutosizedBox);
    render(MainWindow::TweakCellsButton, "tweak-cells.png", [](QDialog &child) {
        in<QCheckBox>(child, TweakCellsDialog::AutosizedBox)->click();
        auto *bitrate = in<QLineEdit>(child, TweakCellsDialog::BitrateEdit);
        bitrate->setText(QString::number(bitrate->text().toInt() - 800));
        emit bitrate->editingFinished();
    });

    // Link Vob-IDs on VTS 1 - Vob-ID 1 with the third row added to the selection.
    h.selectRow(0);
    render(MainWindow::LinkButton, "link-vob-ids.png", [](QDialog &child) {
        auto *rows = in<QListWidget>(child, LinkVobIdsDialog::SegmentList);
        rows->item(2)->setSelected(true);
        rows->setCurrentRow(2, QItemSelectionModel::NoUpdate);
    });

    render(MainWindow::GlobalOptionsButton, "global-options.png", [](QDialog &child) {
        in<QSlider>(child, GlobalOptionsDialog::PercentSlider)->setValue(1025);
    });

    // Set Q Factor on the OPV segment, with a hand-set Q.
    h.selectRow(1);
    render(MainWindow::CustomQButton, "set-q-factor.png", [](QDialog &child) {
        in<QRadioButton>(child, SetQFactorDialog::SetToRadio)->click();
        auto *q = in<QLineEdit>(child, SetQFactorDialog::QEdit);
        q->setText("40");
        emit q->textEdited("40");
    });
    return failed ? 1 : 0;
}
