#include "common/CommandLine.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "common/TextFile.h"
#endif

std::vector<std::string> commandLineArguments(int argc, char **argv)
{
#ifdef _WIN32
    int count = 0;
    if (LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        std::vector<std::string> arguments;
        for (int i = 1; i < count; ++i)
            arguments.push_back(fromFsPath(std::filesystem::path(wide[i])));
        LocalFree(wide);
        return arguments;
    }
#endif
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}
