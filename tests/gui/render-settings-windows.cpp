// Renders the three encoder settings windows, each on a demo project of its encoder, to PNGs:
//   render-settings-windows <output folder>
// writes cce270-settings.png, cce-sp-settings.png and encoder-settings.png there. Run on the
// offscreen platform (QT_QPA_PLATFORM=offscreen) by scripts/screenshots.
#include "app/MainWindow.h"
#include "encoder/SettingsView.h"

#include "ProjectGenerator.h"
#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <cstdio>

namespace {

struct Shot {
    const char *file;
    GeneratorOptions options;
};

bool render(const Shot &shot, const QString &folder)
{
    TempFolder projectFolder;
    TempFolder settingsFolder;
    std::string inf;
    std::string error;
    if (!generateProject(shot.options, projectFolder.path(), &inf, &error)) {
        std::fprintf(stderr, "cannot write the demo project: %s\n", error.c_str());
        return false;
    }
    FakeDesktop desktop;
    AppSettings settings;
    Project project;
    MainWindow window(project, desktop, settings, settingsFolder.path());
    if (!window.loadFrom(inf) || !window.selectedSegment()) {
        std::fprintf(stderr, "cannot load the demo project\n");
        return false;
    }
    const auto dialog = openSettingsDialog(project, *window.selectedSegment(), desktop);
    if (!dialog) {
        std::fprintf(stderr, "the demo project opens no settings window\n");
        return false;
    }
    const auto view = makeSettingsView(*dialog);
    view->show();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(shot.file);
    if (!view->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render-settings-windows <output folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    // CCE SP with "q_char_f=" (type -1) shows the SP window at its full level; CCE 2.50 in CCE
    // mode shows the "Encoder settings" window with its filter controls.
    const Shot shots[] = {
        {"cce270-settings.png", demoOptions(1)},
        {"cce-sp-settings.png", variantOptions(1, 1, true, false)},
        {"encoder-settings.png", variantOptions(1, 2, false, false)},
    };
    for (const Shot &shot : shots)
        if (!render(shot, folder))
            return 1;
    return 0;
}
