#pragma once

#include "win32/BoundDialog.h"

#include <string>

class Desktop;
class MainWindow;

// The main window on Windows: the IDD_MAIN template over MainWindow. Its system menu carries
// "&About Tavro..."; Escape and the close box ask the exit rule, as E&xit does.
class MainDialog : public BoundDialog {
public:
    // `startPath`: a Rebuilder.INF to load once the window shows (the program's argument).
    MainDialog(MainWindow &window, Desktop &desktop, std::string startPath);

protected:
    ControlTable controls() override;
    void bind(DialogBinder &binder) override;
    bool command(int id) override;
    bool message(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void routeCommands(DialogBinder &binder);
    void openSettings();
    void about();
    void exit();

    MainWindow &m_window;
    Desktop &m_desktop;
    std::string m_startPath;
};
