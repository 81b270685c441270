#include "win32/Win32Desktop.h"

#include "common/CommandLine.h"

#include "win32/WideText.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

namespace {

UINT iconFlag(Desktop::Icon icon)
{
    switch (icon) {
    case Desktop::Icon::Information: return MB_ICONINFORMATION;
    case Desktop::Icon::Warning: return MB_ICONWARNING;
    case Desktop::Icon::Error: return MB_ICONERROR;
    case Desktop::Icon::None: break;
    }
    return 0;
}

std::wstring captionFor(const std::string &caption, Desktop::Icon icon)
{
    if (!caption.empty())
        return wide(caption);
    return icon == Desktop::Icon::Error ? std::wstring() : std::wstring(L"Tavro");
}

const wchar_t *orNull(const std::wstring &text)
{
    return text.empty() ? nullptr : text.c_str();
}

std::string commandLineOf(const std::vector<std::string> &arguments)
{
    std::string line;
    for (const std::string &argument : arguments) {
        if (!line.empty())
            line += ' ';
        line += quotedArgument(argument);
    }
    return line;
}

} // namespace

std::wstring win32FilterString(const std::vector<Desktop::FileFilter> &filters)
{
    std::wstring text;
    for (const Desktop::FileFilter &filter : filters) {
        text += wide(filter.description);
        text += L'\0';
        text += wide(filter.pattern);
        text += L'\0';
    }
    text += L'\0';
    return text;
}

std::string programFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return utf8(slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash));
}

void Win32Desktop::showMessage(const std::string &text, Icon icon, const std::string &caption)
{
    const std::wstring title = captionFor(caption, icon);
    MessageBoxW(GetActiveWindow(), wide(text).c_str(), orNull(title), MB_OK | iconFlag(icon));
}

bool Win32Desktop::askYesNo(const std::string &text, const std::string &caption)
{
    const std::wstring title = captionFor(caption, Icon::Warning);
    return MessageBoxW(GetActiveWindow(), wide(text).c_str(), orNull(title),
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2)
        == IDYES;
}

std::optional<std::string> Win32Desktop::chooseOpenFile(const std::string &title, const std::vector<FileFilter> &filters,
                                                        const std::string &defaultName)
{
    const std::wstring filter = win32FilterString(filters);
    const std::wstring caption = wide(title);
    std::wstring file(32768, L'\0');
    const std::wstring name = wide(defaultName);
    name.copy(file.data(), std::min(name.size(), file.size() - 1));

    OPENFILENAMEW chooser = {};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = GetActiveWindow();
    chooser.lpstrFilter = filters.empty() ? nullptr : filter.c_str();
    chooser.nFilterIndex = 1;
    chooser.lpstrFile = file.data();
    chooser.nMaxFile = DWORD(file.size());
    chooser.lpstrTitle = orNull(caption);
    chooser.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&chooser))
        return std::nullopt;
    return utf8(file.c_str());
}

bool Win32Desktop::startProgram(const std::string &program, const std::vector<std::string> &arguments)
{
    const std::wstring parameters = wide(commandLineOf(arguments));
    const auto result = INT_PTR(ShellExecuteW(nullptr, nullptr, wide(program).c_str(), orNull(parameters), nullptr,
                                               SW_SHOWNORMAL));
    return result > 32;
}

bool Win32Desktop::openUrl(const std::string &url)
{
    const auto result = INT_PTR(ShellExecuteW(nullptr, nullptr, wide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

Desktop::EncoderResult Win32Desktop::runEncoder(const std::string &program, const std::vector<std::string> &arguments,
                                                const std::string &workingFolder, bool minimized)
{
    std::wstring line = wide("\"" + program + "\" " + commandLineOf(arguments));
    const std::wstring folder = wide(workingFolder);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, orNull(folder), &startup, &process))
        return EncoderResult::CouldNotStart;
    CloseHandle(process.hThread);
    // The window keeps repainting and takes clicks (Abort) while the encoder runs.
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 10, QS_ALLINPUT) != WAIT_OBJECT_0)
        processEvents();
    DWORD exitCode = 0;
    const bool known = GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    return known ? EncoderResult::Finished : EncoderResult::CouldNotGetExitCode;
}

void Win32Desktop::processEvents()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(int(message.wParam));
            return;
        }
        HWND active = GetActiveWindow();
        if (active && IsDialogMessageW(active, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Win32Desktop::exitProgram(int status)
{
    std::fflush(nullptr);
    ExitProcess(UINT(status));
}
