// drive-tavro: uses tavro.exe as a person would, through its windows' controls by id, then
// checks the saved project against what tavro-cli.exe saves for the same operations.
//
//   drive-tavro TAVRO.EXE TAVRO-CLI.EXE PATH\Rebuilder.INF --cce FAKE-CCE.EXE [--shots FOLDER]
//
// It starts tavro.exe on the project, selects the second listed segment, unticks "Autosized",
// types a bitrate, opens the encoder settings window by its button, changes a radio button, an
// edit and (where the window has them) the passes list and the quality slider, presses OK; sets
// "Calculated" in Set Q Factor when the segment is OPV; on a VBR segment (its bitrate typed when
// it is Autosized) gives a cell its own bitrate in Tweak Cells, then in the script editor inserts
// a line (typed into the favourites box, committed with Enter) and removes the last one, tests
// the script and presses OK; moves the output size slider of Global Options; links the title
// set's first and last segments in Link Vob-IDs; saves, running the prediction (PREDICT, then
// Save) when the prediction window opens, answers "Settings Saved" and exits. tavro.exe's
// Tavro.ini must name FAKE-CCE.EXE as the encoder and as the media player (which "Test Script"
// starts). Then it puts the project's files and scripts back as they were, runs tavro-cli.exe plan
// with the same operations and --save --predict, and compares Rebuilder.INF, Rebuilder.ECL and
// the scripts (with their .bak copies) byte for byte. With --shots it also writes each window's
// picture, as the screen shows it, into FOLDER as a BMP file.
// Exit status 0 when everything matched; otherwise it says what did not.

#include "TavroVersion.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const wchar_t *mainTitle = L"Tavro v" TAVRO_VERSION " BETA!!!";
constexpr const wchar_t *editorTitle = L"Expert Settings: tweak settings for selected VobID";
// Control ids of the main window and the other windows.
enum : int {
    AutosizedBox = 1002, BitrateEdit = 1003, SaveButton = 1009, ExitButton = 1010, SettingsButton = 1019,
    SegmentList = 1023, CustomQButton = 1026, AboutButton = 1037, CalculatedRadio = 1024, VbrRadio = 1024,
    LinkButton = 1017, GlobalOptionsButton = 1020, TweakCellsButton = 1006, ScriptEditorButton = 1021,
    PredictButton = 1040, PredictionLog = 1012, LinkList = 1036, PercentSlider = 1034, PercentEdit = 1003,
    Gop12Radio = 1121, QualitySlider = 1151, QualityNumber = 1152, MinBitrateEdit = 1161, PassesList = 1201,
    CellList = 1036, LineList = 1204, FavouritesBox = 1205, AddLineButton = 1206,
    RemoveLineButton = 1207, TestScriptButton = 1210,
};

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::wstring wide(const std::string &text)
{
    std::wstring result(text.size() + 1, L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, result.data(), int(result.size()));
    result.resize(length > 0 ? std::size_t(length - 1) : 0);
    return result;
}

std::string narrow(const std::wstring &text)
{
    std::string result(text.size() * 3 + 1, '\0');
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(), int(result.size()), nullptr, nullptr);
    result.resize(length > 0 ? std::size_t(length - 1) : 0);
    return result;
}

std::wstring textOf(HWND window)
{
    wchar_t buffer[1024] = {};
    SendMessageW(window, WM_GETTEXT, 1024, LPARAM(buffer));
    return buffer;
}

std::wstring classOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// Polls `probe` until it gives a value, for at most `seconds`.
template <typename Probe>
auto waitFor(const char *what, Probe probe, double seconds = 30.0)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (auto found = probe())
            return *found;
        if (std::chrono::steady_clock::now() > end)
            throw Failure(std::string("timed out waiting for ") + what);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

// A visible top-level window of the process whose title passes `accept`.
HWND findWindow(DWORD process, const std::function<bool(HWND, const std::wstring &)> &accept)
{
    struct Search {
        DWORD process;
        const std::function<bool(HWND, const std::wstring &)> *accept;
        HWND found;
    } search{process, &accept, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto *s = reinterpret_cast<Search *>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->process || !IsWindowVisible(window))
                return TRUE;
            if ((*s->accept)(window, textOf(window))) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        LPARAM(&search));
    return search.found;
}

// The text of a message box (its static text).
std::wstring messageOf(HWND box)
{
    std::wstring text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (classOf(child) == L"Static" && !textOf(child).empty())
            text = textOf(child);
    return text;
}

// Waits for a visible window of the process with this title.
HWND waitForTitle(DWORD process, const std::wstring &title, const char *what)
{
    return waitFor(what, [&]() -> std::optional<HWND> {
        HWND w = findWindow(process, [&](HWND, const std::wstring &shown) { return shown == title; });
        return w ? std::optional<HWND>(w) : std::nullopt;
    });
}

void waitClosed(HWND window, const std::string &what)
{
    waitFor((what + " to close").c_str(), [&]() -> std::optional<bool> {
        return IsWindow(window) ? std::nullopt : std::optional<bool>(true);
    });
}

HWND control(HWND dialog, int id)
{
    HWND handle = GetDlgItem(dialog, id);
    if (!handle)
        throw Failure("no control " + std::to_string(id));
    return handle;
}

void notify(HWND dialog, int id, WORD code)
{
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code), LPARAM(control(dialog, id)));
}

// A button press that opens a window or ends one: posted, so its modal loop does not hold us.
void press(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
}

void type(HWND dialog, int id, const std::string &text)
{
    SendMessageW(control(dialog, id), WM_SETTEXT, 0, LPARAM(wide(text).c_str()));
    notify(dialog, id, EN_KILLFOCUS);
}

bool usable(HWND dialog, int id)
{
    HWND handle = GetDlgItem(dialog, id);
    return handle && IsWindowEnabled(handle) && IsWindowVisible(handle);
}

std::string readFile(const std::wstring &path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in)
        throw Failure("cannot read " + narrow(path));
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::wstring &path, const std::string &bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw Failure("cannot write " + narrow(path));
}

// Starts a program; the process handle. `quiet`: its standard output goes nowhere.
HANDLE start(const std::wstring &commandLine, bool quiet = false)
{
    std::wstring line = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nowhere = INVALID_HANDLE_VALUE;
    if (quiet) {
        nowhere = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = nowhere;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION process = {};
    const bool started =
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, quiet, 0, nullptr, nullptr, &startup, &process);
    if (nowhere != INVALID_HANDLE_VALUE)
        CloseHandle(nowhere);
    if (!started)
        throw Failure("cannot start " + narrow(commandLine));
    CloseHandle(process.hThread);
    return process.hProcess;
}

DWORD finish(HANDLE process, const char *what, DWORD milliseconds = 60000)
{
    if (WaitForSingleObject(process, milliseconds) != WAIT_OBJECT_0) {
        TerminateProcess(process, 99);
        CloseHandle(process);
        throw Failure(std::string(what) + " did not end");
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
}

// The window's picture as the screen shows it, as a 24-bit BMP.
void shoot(HWND window, const std::wstring &folder, const wchar_t *name)
{
    if (folder.empty())
        return;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const std::size_t stride = (std::size_t(width) * 3 + 3) & ~std::size_t(3);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = DWORD(file.bfOffBits + stride * height);
    std::string bytes(reinterpret_cast<const char *>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char *>(&info.bmiHeader), sizeof info.bmiHeader);
    bytes.append(static_cast<const char *>(bits), stride * height);
    writeFile(folder + L"\\" + name + L".bmp", bytes);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// The scripts of a folder and their copies (".avs", ".avs.bak") by name, with their bytes.
using Scripts = std::map<std::wstring, std::string>;
Scripts scriptsIn(const std::wstring &folder)
{
    Scripts scripts;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.avs*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
        scripts[found.cFileName] = readFile(folder + L"\\" + found.cFileName);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return scripts;
}

std::string settingsShotName(const std::wstring &title)
{
    if (title == L"CCE 2.70 Settings")
        return "cce270-settings";
    if (title == L"CCE SP settings")
        return "ccesp-settings";
    return "encoder-settings";
}

int run(const std::vector<std::wstring> &args)
{
    if (args.size() < 3)
        throw Failure("usage: drive-tavro TAVRO.EXE TAVRO-CLI.EXE PATH\\Rebuilder.INF --cce FAKE-CCE.EXE [--shots FOLDER]");
    const std::wstring tavro = args[0], cli = args[1], inf = args[2];
    std::wstring shots, cce;
    for (std::size_t i = 3; i + 1 < args.size(); i += 2) {
        if (args[i] == L"--shots")
            shots = args[i + 1];
        else if (args[i] == L"--cce")
            cce = args[i + 1];
    }
    if (cce.empty())
        throw Failure("no --cce: the encoder the prediction runs (the one tavro.exe's Tavro.ini names)");
    const std::wstring ecl = inf.substr(0, inf.size() - 3) + L"ECL";
    const std::string originalInf = readFile(inf), originalEcl = readFile(ecl);
    const std::wstring folder = inf.substr(0, inf.find_last_of(L"\\/"));
    const Scripts originalScripts = scriptsIn(folder);

    // ---- tavro.exe, driven through its controls ----
    HANDLE process = start(L"\"" + tavro + L"\" \"" + inf + L"\"");
    const DWORD id = GetProcessId(process);
    std::vector<std::string> operations;
    std::string settingsTitle;
    bool predicted = false;
    try {
        HWND main = waitFor("the main window", [&]() -> std::optional<HWND> {
            HWND w = findWindow(id, [](HWND, const std::wstring &title) { return title == mainTitle; });
            return w ? std::optional<HWND>(w) : std::nullopt;
        }, 60.0);
        HWND list = control(main, SegmentList);
        waitFor("the segment list", [&]() -> std::optional<bool> {
            return SendMessageW(list, LB_GETCOUNT, 0, 0) > 1 ? std::optional<bool>(true) : std::nullopt;
        });

        SendMessageW(list, LB_SETCURSEL, 1, 0);
        notify(main, SegmentList, LBN_SELCHANGE);
        wchar_t row[64] = {};
        SendMessageW(list, LB_GETTEXT, 1, LPARAM(row));
        int vts = 0, vobId = 0;
        if (swscanf(row, L"VTS %d - Vob-ID %d", &vts, &vobId) != 2)
            throw Failure("unexpected row text " + narrow(row));
        const std::string segment = std::to_string(vts) + ":" + std::to_string(vobId);

        if (!usable(main, AutosizedBox))
            throw Failure("\"Autosized\" is not usable on " + segment);
        if (SendMessageW(control(main, AutosizedBox), BM_GETCHECK, 0, 0) == BST_CHECKED) {
            SendMessageW(control(main, AutosizedBox), BM_SETCHECK, BST_UNCHECKED, 0);
            notify(main, AutosizedBox, BN_CLICKED);
        }
        if (!usable(main, BitrateEdit))
            throw Failure("the bitrate field did not become usable");
        type(main, BitrateEdit, "4321");
        operations.push_back("--bitrate " + segment + "=4321");
        shoot(main, shots, L"main-window");

        press(main, SettingsButton);
        HWND settings = waitFor("the settings window", [&]() -> std::optional<HWND> {
            HWND w = findWindow(id, [&](HWND window, const std::wstring &title) {
                return window != main && (title == L"CCE 2.70 Settings" || title == L"CCE SP settings"
                                          || title == L"Encoder settings");
            });
            return w ? std::optional<HWND>(w) : std::nullopt;
        });
        settingsTitle = narrow(textOf(settings));
        notify(settings, Gop12Radio, BN_CLICKED);
        operations.push_back("--setting " + segment + "/gop=12");
        if (SendMessageW(control(settings, Gop12Radio), BM_GETCHECK, 0, 0) != BST_CHECKED)
            throw Failure("the GOP 12 radio button does not show as checked");
        type(settings, MinBitrateEdit, "1500");
        operations.push_back("--setting " + segment + "/min-bitrate=1500");
        if (usable(settings, PassesList)) {
            SendMessageW(control(settings, PassesList), CB_SETCURSEL, 3, 0);
            notify(settings, PassesList, CBN_SELCHANGE);
            operations.push_back("--setting " + segment + "/passes=5");
        }
        if (usable(settings, QualitySlider)) {
            HWND slider = control(settings, QualitySlider);
            SendMessageW(slider, TBM_SETPOS, TRUE, 20);
            SendMessageW(settings, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 20), LPARAM(slider));
            operations.push_back("--setting " + segment + "/quality=20");
            if (textOf(control(settings, QualityNumber)) != L"20")
                throw Failure("the quality number does not follow the slider");
        }
        shoot(settings, shots, wide(settingsShotName(textOf(settings))).c_str());
        press(settings, IDOK);
        waitClosed(settings, "the settings window");

        if (usable(main, CustomQButton)) {
            press(main, CustomQButton);
            HWND setQ = waitForTitle(id, L"Set Q Factor", "Set Q Factor");
            // "Calculated": the save predicts the segment's Q factor.
            notify(setQ, CalculatedRadio, BN_CLICKED);
            operations.push_back("--set-q " + segment + "=calculated");
            shoot(setQ, shots, L"set-q-factor");
            press(setQ, IDOK);
            waitClosed(setQ, "Set Q Factor");
        }

        // A VBR segment for Tweak Cells and the script editor, no longer Autosized.
        const int rows = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
        int vbrRow = -1;
        for (int r = 0; r < rows && vbrRow < 0; ++r) {
            SendMessageW(list, LB_SETCURSEL, WPARAM(r), 0);
            notify(main, SegmentList, LBN_SELCHANGE);
            if (usable(main, AutosizedBox) && SendMessageW(control(main, VbrRadio), BM_GETCHECK, 0, 0) == BST_CHECKED)
                vbrRow = r;
        }
        if (vbrRow < 0)
            throw Failure("no listed VBR segment with cells to tweak");
        SendMessageW(list, LB_GETTEXT, WPARAM(vbrRow), LPARAM(row));
        if (swscanf(row, L"VTS %d - Vob-ID %d", &vts, &vobId) != 2)
            throw Failure("unexpected row text " + narrow(row));
        const std::string vbrSegment = std::to_string(vts) + ":" + std::to_string(vobId);
        if (SendMessageW(control(main, AutosizedBox), BM_GETCHECK, 0, 0) == BST_CHECKED) {
            SendMessageW(control(main, AutosizedBox), BM_SETCHECK, BST_UNCHECKED, 0);
            notify(main, AutosizedBox, BN_CLICKED);
            type(main, BitrateEdit, "3500");
            operations.push_back("--bitrate " + vbrSegment + "=3500");
        }
        if (!usable(main, TweakCellsButton))
            throw Failure("Tweak Cells is not usable on " + vbrSegment);

        // Tweak Cells: the first cell that can be tweaked gets four fifths of its bitrate.
        press(main, TweakCellsButton);
        HWND tweak = waitForTitle(id, L"Tweak Cells", "Tweak Cells");
        HWND cells = control(tweak, CellList);
        int cell = -1;
        for (int r = 0; r < int(SendMessageW(cells, LB_GETCOUNT, 0, 0)) && cell < 0; ++r) {
            SendMessageW(cells, LB_SETCURSEL, WPARAM(r), 0);
            notify(tweak, CellList, LBN_SELCHANGE);
            if (usable(tweak, AutosizedBox))
                cell = r;
        }
        if (cell < 0)
            throw Failure("Tweak Cells offers no cell to tweak on " + vbrSegment);
        SendMessageW(control(tweak, AutosizedBox), BM_SETCHECK, BST_UNCHECKED, 0);
        notify(tweak, AutosizedBox, BN_CLICKED);
        if (!usable(tweak, BitrateEdit))
            throw Failure("the cell's bitrate did not become usable");
        const int cellBitrate = _wtoi(textOf(control(tweak, BitrateEdit)).c_str()) * 4 / 5;
        type(tweak, BitrateEdit, std::to_string(cellBitrate));
        operations.push_back("--tweak " + vbrSegment + "/" + std::to_string(cell) + "=" + std::to_string(cellBitrate));
        shoot(tweak, shots, L"tweak-cells");
        press(tweak, IDOK); // Apply
        waitClosed(tweak, "Tweak Cells");

        // The script editor: a line typed into the favourites box, where Enter only commits it,
        // goes in before list number 3 (after the source and Trim lines); the last line goes.
        press(main, ScriptEditorButton);
        HWND editor = waitForTitle(id, editorTitle, "the script editor");
        HWND lines = control(editor, LineList), favourites = control(editor, FavouritesBox);
        const auto listed = [&] { return int(SendMessageW(lines, CB_GETCOUNT, 0, 0)); };
        const int count = listed();
        SendMessageW(lines, CB_SETCURSEL, 2, 0);
        notify(editor, LineList, CBN_SELCHANGE);
        const std::wstring inserted = L"Blur(0.1)";
        SendMessageW(favourites, WM_SETTEXT, 0, LPARAM(inserted.c_str()));
        PostMessageW(editor, WM_NEXTDLGCTL, WPARAM(favourites), TRUE);
        HWND typed = FindWindowExW(favourites, nullptr, L"Edit", nullptr);
        PostMessageW(typed ? typed : favourites, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageW(typed ? typed : favourites, WM_KEYUP, VK_RETURN, LPARAM(0xC0000001));
        press(editor, AddLineButton);
        waitFor("the inserted line in the listing", [&]() -> std::optional<bool> {
            if (!IsWindow(editor))
                throw Failure("the script editor closed on Enter in the favourites box");
            return listed() == count + 1 ? std::optional<bool>(true) : std::nullopt;
        });
        operations.push_back("--avs-insert " + vbrSegment + "@3=" + narrow(inserted));
        const int lastLine = count; // the list number of the last listed line, after the insertion
        SendMessageW(lines, CB_SETCURSEL, WPARAM(lastLine - 1), 0);
        notify(editor, LineList, CBN_SELCHANGE);
        press(editor, RemoveLineButton);
        waitFor("the last line to go", [&]() -> std::optional<bool> {
            return listed() == count ? std::optional<bool>(true) : std::nullopt;
        });
        operations.push_back("--avs-remove " + vbrSegment + "@" + std::to_string(lastLine));
        shoot(editor, shots, L"script-editor");
        press(editor, TestScriptButton);
        press(editor, IDOK);
        waitFor("the script editor to close", [&]() -> std::optional<bool> {
            if (HWND message = findWindow(id, [&](HWND window, const std::wstring &) {
                    return window != editor && window != main && classOf(window) == L"#32770"
                        && !messageOf(window).empty();
                }))
                throw Failure("the script editor said: " + narrow(messageOf(message)));
            return IsWindow(editor) ? std::nullopt : std::optional<bool>(true);
        });

        // Back to the first segment edited, whose title set Link Vob-IDs shows.
        SendMessageW(list, LB_SETCURSEL, 1, 0);
        notify(main, SegmentList, LBN_SELCHANGE);

        press(main, GlobalOptionsButton);
        HWND options = waitForTitle(id, L"Global Options", "Global Options");
        HWND percent = control(options, PercentSlider);
        SendMessageW(percent, TBM_SETPOS, TRUE, 985);
        SendMessageW(options, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 985), LPARAM(percent));
        if (textOf(control(options, PercentEdit)) != L"98.5")
            throw Failure("the output size does not follow the slider: " + narrow(textOf(control(options, PercentEdit))));
        operations.push_back("--output-percent 98.5");
        shoot(options, shots, L"global-options");
        press(options, IDOK);
        waitClosed(options, "Global Options");

        // Link the first and the last segment of the title set, chosen in the list (the second
        // stays as it is, to be predicted).
        press(main, LinkButton);
        HWND link = waitForTitle(id, L"Link Vob-IDs", "Link Vob-IDs");
        HWND segments = control(link, LinkList);
        std::string linked;
        const int last = int(SendMessageW(segments, LB_GETCOUNT, 0, 0)) - 1;
        if (last < 1)
            throw Failure("Link Vob-IDs lists fewer than two segments");
        for (int r : {0, last}) {
            wchar_t text[64] = {};
            SendMessageW(segments, LB_GETTEXT, WPARAM(r), LPARAM(text));
            if (swscanf(text, L"VTS %d - Vob-ID %d", &vts, &vobId) != 2)
                throw Failure("unexpected Link Vob-IDs row " + narrow(text));
            linked += (r ? "," : "") + std::to_string(vts) + ":" + std::to_string(vobId);
        }
        SendMessageW(segments, LB_SETSEL, FALSE, -1);
        SendMessageW(segments, LB_SETSEL, TRUE, 0);
        SendMessageW(segments, LB_SETSEL, TRUE, last);
        notify(link, LinkList, LBN_SELCHANGE);
        shoot(link, shots, L"link-vob-ids");
        press(link, IDOK);
        waitClosed(link, "Link Vob-IDs");
        operations.push_back("--link " + linked);

        if (!shots.empty()) {
            press(main, AboutButton);
            HWND about = waitForTitle(id, L"About Tavro", "the About box");
            shoot(about, shots, L"about");
            press(about, IDOK);
            waitClosed(about, "the About box");
        }

        press(main, SaveButton);
        // Replanned OPV segments: the prediction window comes first; PREDICT, then Save.
        HWND prediction = waitFor("the prediction window or the message after saving", [&]() -> std::optional<HWND> {
            HWND w = findWindow(id, [&](HWND window, const std::wstring &title) {
                return window != main
                    && (title == L"OPV Prediction" || (classOf(window) == L"#32770" && !messageOf(window).empty()));
            });
            return w ? std::optional<HWND>(w) : std::nullopt;
        });
        if (textOf(prediction) == L"OPV Prediction") {
            press(prediction, PredictButton);
            waitFor("the prediction to finish", [&]() -> std::optional<bool> {
                if (HWND message = findWindow(id, [&](HWND window, const std::wstring &) {
                        return window != prediction && window != main && classOf(window) == L"#32770"
                            && !messageOf(window).empty();
                    }))
                    throw Failure("the prediction said: " + narrow(messageOf(message)));
                return IsWindowEnabled(control(prediction, IDOK)) ? std::optional<bool>(true) : std::nullopt;
            }, 120.0);
            if (textOf(control(prediction, PredictionLog)).empty())
                throw Failure("the prediction wrote no log");
            shoot(prediction, shots, L"prediction");
            press(prediction, IDOK);
            predicted = true;
        }
        HWND box = waitFor("the message after saving", [&]() -> std::optional<HWND> {
            HWND w = findWindow(id, [&](HWND window, const std::wstring &) {
                return window != main && classOf(window) == L"#32770" && !messageOf(window).empty();
            });
            return w ? std::optional<HWND>(w) : std::nullopt;
        });
        if (messageOf(box) != L"Settings Saved")
            throw Failure("saving said: " + narrow(messageOf(box)));
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        waitClosed(box, "the message");
        press(main, ExitButton);
        // A plan changed since the save is asked about: leave without saving it.
        if (WaitForSingleObject(process, 3000) == WAIT_TIMEOUT)
            if (HWND question = findWindow(id, [&](HWND window, const std::wstring &) {
                    return window != main && classOf(window) == L"#32770" && !messageOf(window).empty();
                }))
                PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
        if (finish(process, "tavro.exe", 20000) != 0)
            throw Failure("tavro.exe ended with a failure status");
        process = nullptr;
    } catch (...) {
        // What the program shows instead, for the report.
        findWindow(id, [](HWND window, const std::wstring &title) {
            std::fprintf(stderr, "drive-tavro: tavro.exe shows \"%s\" (%s): %s\n", narrow(title).c_str(),
                         narrow(classOf(window)).c_str(), narrow(messageOf(window)).c_str());
            return false;
        });
        DWORD code = 0;
        if (process && GetExitCodeProcess(process, &code) && code != STILL_ACTIVE)
            std::fprintf(stderr, "drive-tavro: tavro.exe ended with status %lu\n", (unsigned long)code);
        if (process) {
            TerminateProcess(process, 99);
            CloseHandle(process);
        }
        throw;
    }
    const std::string guiInf = readFile(inf), guiEcl = readFile(ecl);
    const Scripts guiScripts = scriptsIn(folder);
    if (guiEcl == originalEcl)
        throw Failure("the window's save left Rebuilder.ECL as it was");
    if (guiScripts == originalScripts)
        throw Failure("the script editor left the scripts as they were");

    // ---- the same operations with tavro-cli.exe, on the project as it was ----
    writeFile(inf, originalInf);
    writeFile(ecl, originalEcl);
    for (const auto &[name, bytes] : guiScripts)
        if (!originalScripts.count(name))
            DeleteFileW((folder + L"\\" + name).c_str());
    for (const auto &[name, bytes] : originalScripts)
        writeFile(folder + L"\\" + name, bytes);
    for (const wchar_t *copy : {L".bak", L".original"}) {
        DeleteFileW((inf + copy).c_str());
        DeleteFileW((ecl + copy).c_str());
    }
    std::wstring line = L"\"" + cli + L"\" plan \"" + inf + L"\"";
    for (const std::string &operation : operations) {
        const std::size_t space = operation.find(' ');
        line += L" " + wide(operation.substr(0, space)) + L" \"" + wide(operation.substr(space + 1)) + L"\"";
    }
    line += L" --save --predict --cce \"" + cce + L"\"";
    if (finish(start(line, true), "tavro-cli.exe") != 0)
        throw Failure("tavro-cli.exe failed: " + narrow(line));
    const bool sameInf = readFile(inf) == guiInf, sameEcl = readFile(ecl) == guiEcl;
    const bool sameScripts = scriptsIn(folder) == guiScripts;
    if (!sameInf || !sameEcl || !sameScripts)
        throw Failure(std::string("the window's save differs from tavro-cli's in ") + (sameInf ? "" : "Rebuilder.INF ")
                      + (sameEcl ? "" : "Rebuilder.ECL ") + (sameScripts ? "" : "the scripts"));

    std::string summary;
    for (const std::string &operation : operations)
        summary += " " + operation;
    std::printf("drive-tavro: %s: the window's save%s matches tavro-cli's for%s\n", settingsTitle.c_str(),
                predicted ? ", with a prediction," : "", summary.c_str());
    return 0;
}

} // namespace

int main()
{
    int count = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args;
    for (int i = 1; i < count; ++i)
        args.push_back(argv[i]);
    LocalFree(argv);
    try {
        return run(args);
    } catch (const Failure &failure) {
        std::fprintf(stderr, "drive-tavro: FAILED: %s\n", failure.what());
        return 1;
    }
}
