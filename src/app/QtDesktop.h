#pragma once

#include "platform/Desktop.h"

#include <string>

class QWidget;

// The desktop seam on Qt: message boxes, the file chooser, and outside programs.
class QtDesktop : public Desktop {
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

private:
    std::string m_lastFolder; // of the last file chosen in this run
};

// Qt's name filter for one pair: "description (pattern)", with the pattern made to match in
// any letter case where the file system tells case apart ("REBUILDER.INF" also finds
// "Rebuilder.inf").
std::string qtNameFilter(const Desktop::FileFilter &filter);

// Where Tavro.ini, test.avs and Filters.txt live: beside the executable on Windows (as the
// Windows tools expect), the per-user configuration folder elsewhere, since an installed
// program's folder is not writable there. The folder is created when missing.
std::string settingsFolder();
