// The Windows front-end's wiring: every control a core window describes exists in its template
// with a fitting kind, each kind of control reaches its command with its input, and the dialog
// shows the result. Runs under Wine (with a display) or on Windows.

#include "app/MainWindow.h"
#include "common/CommandLine.h"
#include "encoder/CceSettingsDialogBase.h"
#include "encoder/EncoderSettingsDialog.h"
#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/ProjectBuilder.h"
#include "support/TempFolder.h"
#include "win32/MainDialog.h"
#include "win32/PlanningDialogs.h"
#include "win32/PredictionWindow.h"
#include "win32/ScriptEditorWindow.h"
#include "win32/SettingsWindowDialog.h"
#include "win32/WideText.h"
#include "win32/Win32Desktop.h"
#include "win32/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <type_traits>
#include <memory>

namespace {

using B = SettingsDialogBase;
using C = CceSettingsDialogBase;
using G = EncoderSettingsDialog;

// ---- Driving a dialog as the controls' notifications would ---------------------------------------

HWND item(HWND dialog, int id)
{
    return GetDlgItem(dialog, id);
}

void notify(HWND dialog, int id, WORD code)
{
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code), LPARAM(item(dialog, id)));
}

void clickBox(HWND dialog, int id, bool checked)
{
    SendMessageW(item(dialog, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    notify(dialog, id, BN_CLICKED);
}

void typeAndLeave(HWND dialog, int id, const char *text)
{
    SetWindowTextA(item(dialog, id), text);
    notify(dialog, id, EN_KILLFOCUS);
}

void choose(HWND dialog, int id, int row)
{
    SendMessageW(item(dialog, id), CB_SETCURSEL, WPARAM(row), 0);
    notify(dialog, id, CBN_SELCHANGE);
}

void drag(HWND dialog, int id, int position)
{
    SendMessageW(item(dialog, id), TBM_SETPOS, TRUE, position);
    SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position), LPARAM(item(dialog, id)));
}

bool checked(HWND dialog, int id)
{
    return SendMessageW(item(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string text(HWND dialog, int id)
{
    return windowText(item(dialog, id));
}

// A settings window of the given CCE type and mode, open without a modal loop.
struct OpenSettings {
    OpenSettings(int cceType, int encoderMode = 1) : project(ProjectBuilder().segment().cell(1000, 4000).build())
    {
        project.cceType = cceType;
        project.encoderMode = encoderMode;
        project.segment(0).settings = typicalSettings();
        window = openSettingsDialog(project, project.segment(0), desktop);
        dialog = std::make_unique<SettingsWindowDialog>(*window);
        handle = dialog->openModeless(dialog->templateId(), nullptr);
    }
    ~OpenSettings()
    {
        if (IsWindow(handle))
            DestroyWindow(handle);
    }
    EncoderSettings &settings() { return project.segment(0).settings; }

    Project project;
    FakeDesktop desktop;
    std::unique_ptr<SettingsDialogBase> window;
    std::unique_ptr<SettingsWindowDialog> dialog;
    HWND handle = nullptr;
};

// Every control of the window's table is in the template, of a kind that can show it.
void expectTemplateHolds(HWND dialog, const ControlTable &table, const char *what)
{
    ASSERT_NE(dialog, nullptr) << what;
    for (const Control &control : table.all()) {
        HWND handle = item(dialog, control.id);
        EXPECT_NE(handle, nullptr) << what << ": no control " << control.id;
        if (handle) {
            EXPECT_TRUE(DialogBinder::fits(handle, control.kind)) << what << ": control " << control.id;
        }
    }
}

TEST(Win32Templates, HoldEveryControlOfTheirWindow)
{
    struct Case {
        const char *what;
        int cceType;
        int encoderMode;
    };
    for (const Case &c : {Case{"CCE 2.70", 3, 1}, Case{"CCE SP", 1, 1}, Case{"CCE SP, type 0", 0, 1},
                          Case{"Encoder settings", 2, 1}, Case{"Encoder settings, PRO", 3, 3}}) {
        OpenSettings open(c.cceType, c.encoderMode);
        expectTemplateHolds(open.handle, open.window->controls(), c.what);
        EXPECT_EQ(windowText(open.handle), open.window->caption()) << c.what;
    }

    Project project = ProjectBuilder().segment().cell(1000, 4000).segment().cell(2000, 5000).build();
    FakeDesktop desktop;
    AppSettings settings;
    MainWindow window(project, desktop, settings);
    MainDialog dialog(window, desktop, "");
    HWND handle = dialog.openModeless(IDD_MAIN, nullptr);
    expectTemplateHolds(handle, window.controls(), "main window");
    EXPECT_EQ(windowText(handle), MainWindow::windowTitle);
    DestroyWindow(handle);
}

TEST(Win32Templates, PlanningWindowsHoldTheirControls)
{
    Project project = ProjectBuilder().segment().cell(1000, 4000).cell(1000, 5000).segment().cell(3000, 6000).build();
    FakeDesktop desktop;
    AppSettings settings;
    auto check = [](auto &window, const char *what) {
        PlanningWindow<std::remove_reference_t<decltype(window)>> dialog(window);
        HWND d = dialog.openModeless(dialog.templateId(), nullptr);
        expectTemplateHolds(d, window.controls(), what);
        EXPECT_EQ(windowText(d), std::remove_reference_t<decltype(window)>::title);
        DestroyWindow(d);
    };
    TweakCellsDialog tweak(project, 0, desktop, settings, ".");
    check(tweak, "Tweak Cells");
    LinkVobIdsDialog link(project, 0, false, desktop, settings, ".");
    check(link, "Link Vob-IDs");
    GlobalOptionsDialog options(project, desktop, settings, ".");
    check(options, "Global Options");
}

TEST(Win32Templates, PredictionWindowHoldsItsControlsAtTheirPlaces)
{
    Project project = ProjectBuilder().segment().cell(1000, 4000).build();
    FakeDesktop desktop;
    AppSettings settings;
    PredictionDialog window(project, settings, ".", desktop);
    window.storesOptions = false;
    PredictionWindow dialog(window);
    HWND d = dialog.openModeless(IDD_PREDICTION, nullptr);
    expectTemplateHolds(d, window.controls(), "OPV Prediction");
    RECT client;
    GetClientRect(d, &client);
    RECT size{0, 0, PredictionDialog::width, PredictionDialog::height};
    MapDialogRect(d, &size);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
    for (const PredictionDialog::Place &place : PredictionDialog::layout()) {
        if (place.id == PredictionDialog::SampleSizeLabel)
            continue; // widened to the left for wider fonts
        // The dialog manager converts the position and the size each on their own.
        RECT expected{place.x, place.y, place.width, place.height};
        MapDialogRect(d, &expected);
        RECT actual;
        GetWindowRect(item(d, place.id), &actual);
        MapWindowPoints(nullptr, d, reinterpret_cast<POINT *>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left) << place.id;
        EXPECT_EQ(actual.top, expected.top) << place.id;
        EXPECT_EQ(actual.right - actual.left, expected.right) << place.id;
    }
    DestroyWindow(d);
}

TEST(Win32Templates, SetQFactorHoldsItsControlsAndOkClosesIt)
{
    Project project = ProjectBuilder().segment().cell(1000, 4000).build();
    project.segment(0).vbrMode = false;
    project.segment(0).settings.opvQFactor = 30;
    FakeDesktop desktop;
    SetQFactorDialog window(project, 0, desktop);
    PlanningWindow<SetQFactorDialog> dialog(window);
    HWND d = dialog.openModeless(dialog.templateId(), nullptr);
    expectTemplateHolds(d, window.controls(), "Set Q Factor");
    EXPECT_EQ(windowText(d), SetQFactorDialog::title);

    notify(d, SetQFactorDialog::SetToRadio, BN_CLICKED);
    EXPECT_TRUE(IsWindowEnabled(item(d, SetQFactorDialog::QEdit)));
    typeAndLeave(d, SetQFactorDialog::QEdit, "50");
    notify(d, SetQFactorDialog::OkButton, BN_CLICKED);
    EXPECT_FALSE(IsWindow(d));
    EXPECT_EQ(project.segment(0).settings.opvQFactor, 50);
}

// The script editor's Enter lands on its hidden default button: it applies the typed line only.
TEST(Win32Templates, ScriptEditorHoldsItsControlsAndEnterInTheFavouritesOnlyCommitsTheLine)
{
    using E = ScriptEditorDialog;
    TempFolder folder;
    Project project = ProjectBuilder().segment().cell(1000, 4000).cell(1000, 5000).build();
    for (int c = 0; c < 2; ++c) {
        Cell &cell = project.segment(0).cells[std::size_t(c)];
        cell.name = folder.path() + "\\V01_" + std::to_string(c) + ".avs";
        ASSERT_TRUE(TempFolder::writeTo(cell.name, "Mpeg2Source(\"a.d2v\")\r\nTrim(" + std::to_string(c) + ",99)\r\n"));
    }
    FakeDesktop desktop;
    AppSettings settings;
    ScriptEditorDialog editor(project, 0, settings, folder.path(), desktop);
    ASSERT_TRUE(editor.open());
    ScriptEditorWindow dialog(editor);
    HWND d = dialog.openModeless(IDD_SCRIPT_EDITOR, nullptr);
    expectTemplateHolds(d, editor.controls(), "script editor");
    EXPECT_EQ(windowText(d), E::windowTitle);
    EXPECT_EQ(LOWORD(SendMessageW(d, DM_GETDEFID, 0, 0)), E::DefaultButton);

    // Enter, through the dialog manager, with the typed line in the favourites box.
    HWND favourites = item(d, E::FavouritesBox);
    SetWindowTextA(favourites, "Blur(1)");
    SetFocus(favourites);
    MSG enter = {GetFocus(), WM_KEYDOWN, VK_RETURN, 1, 0, {}};
    EXPECT_TRUE(IsDialogMessageW(d, &enter));
    EXPECT_EQ(editor.favouriteText(), "Blur(1)");
    EXPECT_TRUE(IsWindow(d));

    choose(d, E::LineList, 0);
    notify(d, E::AddLineButton, BN_CLICKED);
    EXPECT_EQ(text(d, E::Listing).rfind(" 1 - Blur(1)\r\n 2 - Mpeg2Source", 0), 0u) << text(d, E::Listing);
    notify(d, E::CancelButton, BN_CLICKED);
    EXPECT_FALSE(IsWindow(d));
}

// ---- Each kind of control reaches its command, and the window shows the result ------------------

TEST(Win32Binder, EachKindOfControlReachesItsCommand)
{
    struct Case {
        const char *what;
        std::function<void(HWND)> act;
        std::function<void(const EncoderSettings &, HWND)> expect;
    };
    const Case cases[] = {
        {"radio button", [](HWND d) { notify(d, B::Gop12Radio, BN_CLICKED); },
         [](const EncoderSettings &s, HWND d) {
             EXPECT_EQ(s.gopHeader, 12);
             EXPECT_TRUE(checked(d, B::Gop12Radio));
             EXPECT_FALSE(checked(d, B::Gop15Radio));
         }},
        {"check box", [](HWND d) { clickBox(d, C::LowPassBox, true); },
         [](const EncoderSettings &s, HWND d) {
             EXPECT_EQ(s.hFilter, 1);
             EXPECT_TRUE(IsWindowEnabled(item(d, C::LowPassSlider)));
         }},
        {"slider", [](HWND d) { drag(d, B::QualitySlider, 42); },
         [](const EncoderSettings &s, HWND d) {
             EXPECT_EQ(s.quality, 42);
             EXPECT_EQ(text(d, B::QualityNumber), "42");
         }},
        {"drop-down list", [](HWND d) { choose(d, C::PassesList, 3); },
         [](const EncoderSettings &s, HWND d) {
             EXPECT_EQ(s.vbrPasses, 4);
             EXPECT_EQ(SendMessageW(item(d, C::PassesList), CB_GETCURSEL, 0, 0), 3);
         }},
        {"edit losing the focus", [](HWND d) { typeAndLeave(d, B::MinBitrateEdit, "8500"); },
         [](const EncoderSettings &s, HWND d) {
             EXPECT_EQ(s.minBitrate, 8500);
             EXPECT_EQ(s.maxBitrate, 8500);
             EXPECT_EQ(text(d, B::MaxBitrateEdit), "8500");
         }},
        {"preset radio redraws the filters", [](HWND d) { notify(d, C::PresetNaturalRadio, BN_CLICKED); },
         [](const EncoderSettings &s, HWND d) {
             EXPECT_EQ(s.hFilterIndex, 32);
             EXPECT_TRUE(checked(d, C::LowPassBox));
             EXPECT_EQ(text(d, C::LowPassNumber), "32");
             EXPECT_EQ(SendMessageW(item(d, C::LowPassSlider), TBM_GETPOS, 0, 0), 32);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        OpenSettings open(3);
        c.act(open.handle);
        c.expect(open.settings(), open.handle);
    }
}

TEST(Win32Binder, DrawsTheTableIntoTheControls)
{
    OpenSettings open(0); // the older CCE SP: several parts disabled, the "Anti noise" text
    const HWND d = open.handle;
    EXPECT_EQ(text(d, C::VerticalCaption), "Anti noise");
    EXPECT_EQ(text(d, B::SegmentText), SettingsDialogBase::segmentLabel(open.project.segment(0)));
    EXPECT_FALSE(IsWindowEnabled(item(d, C::MatricesList)));
    EXPECT_EQ(SendMessageW(item(d, C::MatricesList), CB_GETCURSEL, 0, 0), -1);
    EXPECT_EQ(SendMessageW(item(d, C::MatricesList), CB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(SendMessageW(item(d, C::VerticalSlider), TBM_GETRANGEMAX, 0, 0), 32);
    EXPECT_EQ(SendMessageW(item(d, C::PassesList), CB_GETCURSEL, 0, 0), 2); // vbrPasses 3 shows " 4"
    EXPECT_TRUE(GetWindowLongPtrW(item(d, B::SegmentText), GWL_STYLE) & ES_READONLY);

    OpenSettings pro(3, 3); // PRO mode hides the filter controls
    EXPECT_FALSE(GetWindowLongPtrW(item(pro.handle, G::FilterGroup), GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongPtrW(item(pro.handle, B::ProgressiveBox), GWL_STYLE) & WS_VISIBLE);
}

TEST(Win32Binder, RefusedOkKeepsTheWindowAndCancelPutsTheSettingsBack)
{
    OpenSettings open(3);
    typeAndLeave(open.handle, B::MinBitrateEdit, "many");
    notify(open.handle, C::PresetCgRadio, BN_CLICKED);
    notify(open.handle, B::OkButton, BN_CLICKED);
    EXPECT_TRUE(IsWindow(open.handle));
    EXPECT_EQ(text(open.handle, B::MinBitrateEdit), "many"); // what the user typed stays to be corrected
    ASSERT_EQ(open.desktop.messages.size(), 2u);

    notify(open.handle, B::CancelButton, BN_CLICKED);
    EXPECT_FALSE(IsWindow(open.handle));
    EXPECT_EQ(open.settings().hFilterIndex, typicalSettings().hFilterIndex);
    EXPECT_EQ(open.settings().quality, typicalSettings().quality);
}

TEST(Win32Binder, MainWindowRowAndCheckBoxReachTheirCommands)
{
    Project project = ProjectBuilder().segment().cell(1000, 4000).segment().cell(3000, 6000).build();
    FakeDesktop desktop;
    AppSettings settings;
    MainWindow window(project, desktop, settings);
    MainDialog dialog(window, desktop, "");
    HWND d = dialog.openModeless(IDD_MAIN, nullptr);
    ASSERT_NE(d, nullptr);
    using M = MainWindow::Id;
    auto shown = [&](int id) { return window.control(MainWindow::Id(id)).text; };
    EXPECT_EQ(SendMessageW(item(d, M::SegmentList), LB_GETCOUNT, 0, 0), 2);

    SendMessageW(item(d, M::SegmentList), LB_SETCURSEL, 1, 0);
    notify(d, M::SegmentList, LBN_SELCHANGE);
    EXPECT_EQ(window.currentSegment(), 1);
    EXPECT_EQ(text(d, M::BitrateEdit), "6000");
    EXPECT_FALSE(IsWindowEnabled(item(d, M::BitrateEdit)));

    clickBox(d, M::AutosizedBox, false);
    EXPECT_FALSE(project.segment(1).autosized);
    EXPECT_TRUE(IsWindowEnabled(item(d, M::BitrateEdit)));
    typeAndLeave(d, M::BitrateEdit, "5000");
    EXPECT_EQ(text(d, M::BitrateEdit), shown(M::BitrateEdit));
    EXPECT_NE(shown(M::BitrateEdit), "6000");

    // Enter in the field applies it: the dialog manager sends IDOK, which the window has no button for.
    const std::string typed = shown(M::BitrateEdit);
    SetFocus(item(d, M::BitrateEdit));
    SetWindowTextA(item(d, M::BitrateEdit), "4500");
    SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_NE(shown(M::BitrateEdit), typed);
    EXPECT_TRUE(IsWindow(d));
    DestroyWindow(d);
}

// ---- The desktop's command lines and filters ---------------------------------------------------

TEST(Win32Desktop, QuotesEachArgumentAsTheRuntimeReadsItBack)
{
    struct Case {
        const char *argument;
        const char *quoted;
    };
    for (const Case &c : {Case{R"(C:\x\test.avs)", R"("C:\x\test.avs")"}, Case{"", R"("")"},
                          Case{R"(C:\a b\)", R"("C:\a b\\")"}, Case{R"(say "hi")", R"("say \"hi\"")"},
                          Case{R"(a\"b)", R"("a\\\"b")"}, Case{"-ecl", "-ecl"}, Case{"-a b", R"("-a b")"}})
        EXPECT_EQ(quotedArgument(c.argument), c.quoted) << c.argument;
}

TEST(Win32Desktop, FilterPairsBecomeTheChoosersString)
{
    const std::wstring filter = win32FilterString(parseFilterString("Rebuilder.inf|REBUILDER.INF||"));
    EXPECT_EQ(filter, std::wstring(L"Rebuilder.inf\0REBUILDER.INF\0\0", 29));
}

} // namespace
