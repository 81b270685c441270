#include "support/FakeDesktop.h"

void FakeDesktop::showMessage(const std::string &text, Icon icon, const std::string &caption)
{
    messages.push_back({text, icon, caption});
}

bool FakeDesktop::askYesNo(const std::string &text, const std::string &caption)
{
    questions.push_back({text, caption});
    if (answers.empty())
        return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> FakeDesktop::chooseOpenFile(const std::string &title, const std::vector<FileFilter> &filters,
                                                       const std::string &defaultName)
{
    choosers.push_back({title, filters, defaultName});
    if (chosenFiles.empty())
        return std::nullopt;
    auto chosen = chosenFiles.front();
    chosenFiles.pop_front();
    return chosen;
}

bool FakeDesktop::startProgram(const std::string &program, const std::vector<std::string> &arguments)
{
    started.push_back({program, arguments});
    return startSucceeds;
}

bool FakeDesktop::openUrl(const std::string &url)
{
    urls.push_back(url);
    return openUrlSucceeds;
}

Desktop::EncoderResult FakeDesktop::runEncoder(const std::string &program, const std::vector<std::string> &arguments,
                                               const std::string &workingFolder, bool minimized)
{
    encoderRuns.push_back({program, arguments, workingFolder, minimized});
    return encoder ? encoder(encoderRuns.back()) : EncoderResult::Finished;
}

void FakeDesktop::processEvents()
{
    ++eventsProcessed;
}

void FakeDesktop::exitProgram(int status)
{
    exitStatus = status;
}

std::vector<std::string> FakeDesktop::messageTexts() const
{
    std::vector<std::string> texts;
    for (const Message &message : messages)
        texts.push_back(message.text);
    return texts;
}
