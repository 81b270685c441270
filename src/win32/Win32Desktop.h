#pragma once

#include "platform/Desktop.h"

#include <windows.h>

#include <string>

// The desktop seam on Windows: MessageBoxW, the common open-file dialog, the shell's execute
// operation, CreateProcessW for the encoder, and the message loop between its steps.
//
// Message boxes are owned by the thread's active window (the dialog the user is working in),
// so they are modal to it. Without a caption an error box shows the system's "Error" and any
// other box "Tavro".
class Win32Desktop : public Desktop {
public:
    void showMessage(const std::string &text, Icon icon = Icon::None, const std::string &caption = {}) override;
    bool askYesNo(const std::string &text, const std::string &caption = {}) override;
    std::optional<std::string> chooseOpenFile(const std::string &title, const std::vector<FileFilter> &filters,
                                              const std::string &defaultName) override;
    // The shell's execute operation with no verb and the normal show state; the arguments are
    // quoted as the program's command line. A result of 32 or less is a failure.
    bool startProgram(const std::string &program, const std::vector<std::string> &arguments) override;
    bool openUrl(const std::string &url) override;
    // "\"program\" arguments" with the working folder, minimized without activation when asked;
    // waits for the end in steps of at most 10 ms, dispatching the window messages in between.
    EncoderResult runEncoder(const std::string &program, const std::vector<std::string> &arguments,
                             const std::string &workingFolder, bool minimized) override;
    void processEvents() override;
    void exitProgram(int status) override;
};

// The Windows open-file filter: "description\0pattern\0...\0\0".
std::wstring win32FilterString(const std::vector<Desktop::FileFilter> &filters);
// The folder of the running executable, where Tavro.ini, Filters.txt and test.avs live.
std::string programFolder();
