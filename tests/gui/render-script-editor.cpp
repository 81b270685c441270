// Renders the script editor, opened from the main window's "AVS &Editing" on the demo project's
// OPV segment with a favourite line typed and inserted, to a PNG:
//   render-script-editor <file.png>
// Run on the offscreen platform (QT_QPA_PLATFORM=offscreen) by scripts/screenshots.
#include "app/MainWindowView.h"

#include "ProjectGenerator.h"
#include "scripts/ScriptEditorDialog.h"
#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
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
    TempFolder projectFolder;
    TempFolder settingsFolder;
    std::string inf;
    std::string error;
    if (!generateProject(demoOptions(1), projectFolder.path(), &inf, &error)) {
        std::fprintf(stderr, "cannot write the demo project: %s\n", error.c_str());
        return 1;
    }
    // A few favourites, as a user collects them.
    std::ofstream(settingsFolder.file("Filters.txt"), std::ios::binary)
        << "LanczosResize(352,240)\r\nDeGrainMedian(limitY=2,limitUV=3,mode=1)\r\nFluxSmoothST(7,7)\r\n";

    FakeDesktop desktop;
    desktop.chosenFiles.push_back(inf);
    AppSettings settings;
    Project project;
    MainWindow window(project, desktop, settings, settingsFolder.path());
    MainWindowView view(window);
    view.show();
    qobject_cast<QAbstractButton *>(view.control(MainWindow::LoadButton))->click();
    qobject_cast<QListWidget *>(view.control(MainWindow::SegmentList))->setCurrentRow(1);

    bool shot = false;
    setChildDialogDriver([&](QDialog &child) {
        auto in = [&child](int id) { return child.findChild<QWidget *>(QString("id%1").arg(id)); };
        auto *favourites = qobject_cast<QComboBox *>(in(ScriptEditorDialog::FavouritesBox));
        favourites->setCurrentIndex(0);
        emit favourites->activated(0);
        qobject_cast<QPushButton *>(in(ScriptEditorDialog::AddLineButton))->click();
        app.processEvents();
        shot = child.grab().save(file);
        if (shot)
            std::printf("%s\n", qPrintable(file));
    });
    qobject_cast<QAbstractButton *>(view.control(MainWindow::ScriptEditorButton))->click();
    setChildDialogDriver({});
    if (!shot) {
        std::fprintf(stderr, "cannot render %s\n", qPrintable(file));
        return 1;
    }
    return 0;
}
