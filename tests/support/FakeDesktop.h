#pragma once

#include "platform/Desktop.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Records everything the program asks of the desktop and answers from a script.
// Unscripted questions are answered No and unscripted choosers are cancelled, so a test
// that forgets to script one sees the cautious path, never a silent Yes.
class FakeDesktop : public Desktop {
public:
    struct Message {
        std::string text;
        Icon icon;
        std::string caption;
    };
    struct Question {
        std::string text;
        std::string caption;
    };
    struct Chooser {
        std::string title;
        std::vector<FileFilter> filters;
        std::string defaultName;
    };
    struct Started {
        std::string program;
        std::vector<std::string> arguments;
    };
    struct EncoderRun {
        std::string program;
        std::vector<std::string> arguments;
        std::string workingFolder;
        bool minimized;
    };

    // Scripted answers, consumed in order.
    std::deque<bool> answers;
    std::deque<std::optional<std::string>> chosenFiles;
    bool startSucceeds = true;
    bool openUrlSucceeds = true;
    // Runs in place of the encoder; by default the encoder "finishes".
    std::function<EncoderResult(const EncoderRun &)> encoder;

    // What happened.
    std::vector<Message> messages;
    std::vector<Question> questions;
    std::vector<Chooser> choosers;
    std::vector<Started> started;
    std::vector<std::string> urls;
    std::vector<EncoderRun> encoderRuns;
    int eventsProcessed = 0;
    std::optional<int> exitStatus;

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

    // The texts of all messages shown, in order.
    std::vector<std::string> messageTexts() const;
    std::string lastMessage() const { return messages.empty() ? std::string() : messages.back().text; }
};
