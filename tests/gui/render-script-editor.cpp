// Renders the script editor, opened from the main window's "AVS &Editing" on the demo project's
// OPV segment with a favourite line typed and inserted, to a PNG:
//   render-script-editor <file.png>
// Run on the offscreen platform (QT_QPA_PLATFORM=offscreen) by scripts/screenshots.
#include "MainWindowHarness.h"

#include "scripts/ScriptEditorDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>

#include <cstdio>
#include <fstream>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render-script-editor <file.png>\n");
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    MainWindowHarness<> h;
    // A few favourites, as a user collects them.
    std::ofstream(h.settingsFolder.file("Filters.txt"), std::ios::binary)
        << "LanczosResize(352,240)\r\nDeGrainMedian(limitY=2,limitUV=3,mode=1)\r\nFluxSmoothST(7,7)\r\n";

    h.loadDemo();
    h.selectRow(1);

    bool shot = false;
    h.runWindow(MainWindow::ScriptEditorButton, [&](QDialog &child) {
        auto *favourites = in<QComboBox>(child, ScriptEditorDialog::FavouritesBox);
        favourites->setCurrentIndex(0);
        emit favourites->activated(0);
        in<QPushButton>(child, ScriptEditorDialog::AddLineButton)->click();
        app.processEvents();
        shot = child.grab().save(file);
        if (shot)
            std::printf("%s\n", qPrintable(file));
    });
    if (!shot) {
        std::fprintf(stderr, "cannot render %s\n", qPrintable(file));
        return 1;
    }
    return 0;
}
