#include "support/RunCommand.h"

#include "common/TextFile.h"

#include <cstdio>

#ifdef _WIN32
const char *const discardErrors = " 2>NUL";
#else
const char *const discardErrors = " 2>/dev/null";
#endif

CommandOutput runCommand(const std::string &commandLine)
{
#ifdef _WIN32
    // cmd.exe /c drops the first and the last quote of a line that starts with one, so the whole
    // line gets a pair of its own.
    std::FILE *pipe = _wpopen(toFsPath("\"" + commandLine + "\"").c_str(), L"r");
#else
    std::FILE *pipe = popen(commandLine.c_str(), "r");
#endif
    CommandOutput result;
    if (!pipe)
        return result;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        result.printed += buffer;
#ifdef _WIN32
    result.status = _pclose(pipe);
#else
    result.status = pclose(pipe);
#endif
    return result;
}
