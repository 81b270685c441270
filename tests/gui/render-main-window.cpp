// Renders the main window with a demo project loaded to a PNG:
//   render-main-window <output.png>
// Run on the offscreen platform (QT_QPA_PLATFORM=offscreen) by scripts/screenshots.
#include "app/MainWindowView.h"

#include "ProjectGenerator.h"
#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render-main-window <output.png>\n");
        return 2;
    }
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
    Project project;
    MainWindow window(project, desktop, settings, settingsFolder.path());
    MainWindowView view(window);
    view.resize(view.sizeHint());
    view.show();
    qobject_cast<QAbstractButton *>(view.control(MainWindow::LoadButton))->click();
    // Show a segment the user has fixed by hand: the second row, not autosized.
    auto *list = qobject_cast<QListWidget *>(view.control(MainWindow::SegmentList));
    list->setCurrentRow(1);
    qobject_cast<QAbstractButton *>(view.control(MainWindow::AutosizedBox))->click();
    app.processEvents();

    const QPixmap shot = view.grab();
    if (!shot.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s\n", argv[1]);
    return 0;
}
