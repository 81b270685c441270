#pragma once

#include "platform/Desktop.h"

// The desktop of a program without a window: what the desktop program would show in a box
// goes to standard error, questions are answered No, choosers are cancelled and no outside
// program is started. tavro-cli decides its own answers before it gets to a question.
class StderrDesktop : public Desktop {
public:
    void showMessage(const std::string &text, Icon icon = Icon::None, const std::string &caption = {}) override;
    bool askYesNo(const std::string &text, const std::string &caption = {}) override;
    std::optional<std::string> chooseOpenFile(const std::string &title, const std::vector<FileFilter> &filters,
                                              const std::string &defaultName) override;
    bool startProgram(const std::string &program, const std::vector<std::string> &arguments) override;
    bool openUrl(const std::string &url) override;
    EncoderResult runEncoder(const std::string &program, const std::vector<std::string> &arguments,
                             const std::string &workingFolder, bool minimized) override;
    void processEvents() override;
    void exitProgram(int status) override;
};
