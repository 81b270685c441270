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

std::string quotedArgument(const std::string &argument)
{
    // A switch stays bare ("-ecl", "-batch": the encoder reads them so); anything else is quoted
    // even without blanks, as the media player's script path and the encoder's list path are.
    if (!argument.empty() && argument[0] == '-' && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

#ifdef _WIN32
void *startWindowsProcess(const std::string &program, const std::vector<std::string> &arguments,
                          const std::string &folder, bool minimized)
{
    std::string line = "\"" + program + "\"";
    for (const std::string &argument : arguments)
        line += " " + quotedArgument(argument);
    std::wstring wideLine = toFsPath(line).wstring();
    const std::wstring wideFolder = toFsPath(folder).wstring();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, wideLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        wideFolder.empty() ? nullptr : wideFolder.c_str(), &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}
#endif
