#include "StderrDesktop.h"

#include <cstdio>
#include <cstdlib>

void StderrDesktop::showMessage(const std::string &text, Icon, const std::string &caption)
{
    if (!caption.empty())
        std::fprintf(stderr, "%s: ", caption.c_str());
    std::fprintf(stderr, "%s\n", text.c_str());
}

bool StderrDesktop::askYesNo(const std::string &text, const std::string &caption)
{
    showMessage(text + " -> No", Icon::Warning, caption);
    return false;
}

std::optional<std::string> StderrDesktop::chooseOpenFile(const std::string &, const std::vector<FileFilter> &,
                                                         const std::string &)
{
    return std::nullopt;
}

bool StderrDesktop::startProgram(const std::string &, const std::vector<std::string> &)
{
    return false;
}

bool StderrDesktop::openUrl(const std::string &)
{
    return false;
}

Desktop::EncoderResult StderrDesktop::runEncoder(const std::string &, const std::vector<std::string> &,
                                                 const std::string &, bool)
{
    return EncoderResult::CouldNotStart;
}

void StderrDesktop::processEvents() {}

void StderrDesktop::exitProgram(int status)
{
    std::fflush(stdout);
    std::exit(status);
}
