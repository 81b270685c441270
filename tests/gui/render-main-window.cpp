// Renders the main window with a demo project loaded to a PNG:
//   render-main-window <output.png>
// Run on the offscreen platform (QT_QPA_PLATFORM=offscreen) by scripts/screenshots.
#include "MainWindowHarness.h"

#include <QApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render-main-window <output.png>\n");
        return 2;
    }
    MainWindowHarness<> h;
    h.view->resize(h.view->sizeHint());
    h.loadDemo();
    // Show a segment the user has fixed by hand: the second row, not autosized.
    h.selectRow(1);
    h.click(MainWindow::AutosizedBox);
    app.processEvents();

    const QPixmap shot = h.view->grab();
    if (!shot.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s\n", argv[1]);
    return 0;
}
