#include "app/MainWindow.h"
#include "app/MainWindowView.h"
#include "app/QtDesktop.h"
#include "project/Project.h"
#include "settings/AppSettings.h"

#include "TavroVersion.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <clocale>
#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    // Answered before Qt starts, so it works without a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("tavro %s\n", TAVRO_VERSION);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(TAVRO_VERSION);
    QApplication::setApplicationName("Tavro");
    QApplication::setOrganizationName("Tavro");
    // Qt takes the user's locale for C's number formatting too; the project files and the
    // window's figures always use a decimal point.
    std::setlocale(LC_NUMERIC, "C");

    const std::string folder = settingsFolder();
    AppSettings settings;
    loadSettings(settings, folder);

    QtDesktop desktop;
    Project project;
    MainWindow window(project, desktop, settings, folder);
    // "tavro PATH/Rebuilder.INF" opens that project, as if it had been chosen with Load.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        window.loadFrom(QDir::toNativeSeparators(QFileInfo(arguments.at(1)).absoluteFilePath()).toStdString());
    MainWindowView view(window);
    view.show();
    return app.exec();
}
