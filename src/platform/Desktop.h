#pragma once

#include <optional>
#include <string>
#include <vector>

// The program's one seam to the desktop: every message box, question, file chooser and
// outside program goes through here, so the windows' logic runs in tests with a fake.
class Desktop {
public:
    enum class Icon { None, Information, Warning, Error };

    // One "description|pattern" pair of a file chooser's filter.
    struct FileFilter {
        std::string description;
        std::string pattern; // "*.exe", "REBUILDER.INF", several separated by ";"
    };

    enum class EncoderResult {
        Finished,          // started and ended by itself, whatever its exit code
        CouldNotStart,     // "Could not create CCE process"
        CouldNotGetExitCode, // "Could not get CCE process exit code"
    };

    virtual ~Desktop() = default;

    // A message box with an OK button; no caption unless one is given.
    virtual void showMessage(const std::string &text, Icon icon = Icon::None, const std::string &caption = {}) = 0;
    // A Yes/No question with the warning icon and No as the default button. True for Yes.
    virtual bool askYesNo(const std::string &text, const std::string &caption = {}) = 0;
    // The open-file chooser; nothing when the user cancels.
    virtual std::optional<std::string> chooseOpenFile(const std::string &title, const std::vector<FileFilter> &filters,
                                                      const std::string &defaultName) = 0;
    // Starts a program on the given arguments without waiting for it (no shell involved). A
    // Windows program outside Windows starts through Wine (wineCommand in PathMapper.h); the
    // caller gives its path arguments in the program's form (pathForProgram).
    virtual bool startProgram(const std::string &program, const std::vector<std::string> &arguments) = 0;
    // Opens a document or web page with the desktop's default handler.
    virtual bool openUrl(const std::string &url) = 0;
    // Starts the encoder (through Wine as above) and waits for it to end, in 10 ms steps,
    // processing pending events between the steps so the window stays responsive.
    virtual EncoderResult runEncoder(const std::string &program, const std::vector<std::string> &arguments,
                                     const std::string &workingFolder, bool minimized) = 0;
    // Dispatches pending user-interface events.
    virtual void processEvents() = 0;
    // Ends the program at once with the given status. (A test double records it and returns.)
    virtual void exitProgram(int status) = 0;
};

// Splits a Windows filter string such as "Rebuilder.inf|REBUILDER.INF||" into its pairs.
std::vector<Desktop::FileFilter> parseFilterString(const std::string &filter);
