// tavro.exe: the desktop program on Windows, native dialogs over the core window classes.
//   tavro.exe [path of Rebuilder.INF]      the path is loaded once the main window shows

#include "app/MainWindow.h"
#include "common/CommandLine.h"
#include "project/Project.h"
#include "settings/AppSettings.h"
#include "win32/MainDialog.h"
#include "win32/Win32Desktop.h"
#include "win32/resource.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    INITCOMMONCONTROLSEX common = {};
    common.dwSize = sizeof common;
    common.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&common);

    const std::string folder = programFolder();
    AppSettings settings;
    loadSettings(settings, folder);

    Win32Desktop desktop;
    Project project;
    MainWindow window(project, desktop, settings, folder);
    const std::vector<std::string> arguments = commandLineArguments(0, nullptr);
    MainDialog dialog(window, desktop, arguments.empty() ? std::string() : arguments.front());
    return dialog.runModal(IDD_MAIN, nullptr) == -1 ? 1 : 0;
}
