#include "app/MainWindow.h"
#include "app/MainWindowView.h"
#include "app/QtDesktop.h"
#include "project/Project.h"
#include "settings/AppSettings.h"

#include <QApplication>

#include <clocale>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
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
    MainWindowView view(window);
    view.show();
    return app.exec();
}
