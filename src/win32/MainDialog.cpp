#include "win32/MainDialog.h"

#include "app/MainWindow.h"
#include "scripts/Preview.h"
#include "win32/AboutDialog.h"
#include "win32/SettingsWindowDialog.h"
#include "win32/WideText.h"
#include "win32/resource.h"

namespace {

constexpr UINT loadAtStart = WM_APP + 1;

} // namespace

MainDialog::MainDialog(MainWindow &window, Desktop &desktop, std::string settingsFolder, std::string startPath)
    : m_window(window), m_desktop(desktop), m_settingsFolder(std::move(settingsFolder)),
      m_startPath(std::move(startPath))
{
}

void MainDialog::bind(DialogBinder &binder)
{
    HWND dialog = handle();
    const HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
    SendMessageW(dialog, WM_SETICON, ICON_BIG, LPARAM(icon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, LPARAM(icon));
    wchar_t entry[64] = {};
    if (LoadStringW(resourceModule(), IDS_ABOUTBOX, entry, 64) > 0)
        if (HMENU menu = GetSystemMenu(dialog, FALSE)) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, entry);
        }
    routeCommands(binder);
    if (!m_startPath.empty())
        PostMessageW(dialog, loadAtStart, 0, 0);
}

bool MainDialog::command(int id)
{
    // Enter with no button of the window's to press gives IDOK: nothing to do.
    if (id == IDOK)
        return true;
    if (id == IDCANCEL) {
        binder().run([this] { exit(); });
        return true;
    }
    return false;
}

bool MainDialog::message(UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == IDM_ABOUTBOX) {
        about();
        return true;
    }
    if (message == loadAtStart) {
        binder().run([this] { m_window.loadFrom(m_startPath); });
        return true;
    }
    return false;
}

void MainDialog::openSettings()
{
    if (Segment *segment = m_window.selectedSegment())
        runSettingsWindow(handle(), m_window.project(), *segment, m_desktop);
    m_window.afterEncoderSettings();
}

void MainDialog::about()
{
    AboutDialog box(m_desktop);
    box.runModal(IDD_ABOUT, handle());
}

void MainDialog::exit()
{
    if (m_window.exitRequested())
        close(0);
}

// ---- MainWindow's controls and commands ----------------------------------------------------------
// The window's fields and the commands that read them. Once MainWindow gives its own control
// table and commands that take their input, controls() returns m_window.controls() and each
// route calls the command directly (rowSelected(row), autosizedClicked(checked),
// bitrateTyped(text), sliderMoved(position), hideClicked(checked), ...).

ControlTable MainDialog::controls()
{
    using C = MainWindow::Control;
    const MainWindow &w = m_window;
    ControlTable table;
    for (C id : MainWindow::controls()) {
        Control control;
        switch (id) {
        case C::AutosizedBox: control = checkBox(w.caption(id), w.autosizedBox); break;
        case C::TweakedBox: control = checkBox(w.caption(id), w.tweakedBox); break;
        case C::HideBox: control = checkBox(w.caption(id), w.hideInsignificant); break;
        case C::OpvForSmallBox: control = checkBox(w.caption(id), w.opvForSmall); break;
        case C::VbrRadio: control = radio(w.caption(id), w.vbrChecked); break;
        case C::OpvRadio: control = radio(w.caption(id), w.opvChecked); break;
        case C::BitrateEdit: control = edit(w.bitrateText()); break;
        case C::ReductionEdit: control = readOnlyEdit(w.reductionText()); break;
        case C::SegmentSizeEdit: control = readOnlyEdit(w.segmentSizeText()); break;
        case C::TotalSizeEdit: control = readOnlyEdit(w.totalSizeText()); break;
        case C::DurationEdit: control = readOnlyEdit(w.durationValue); break;
        case C::StatusEdit: control = readOnlyEdit(w.statusText); break;
        case C::ReductionSlider: control = slider(0, planning::sliderPositions, w.sliderPosition); break;
        case C::SegmentList: control = list(w.rows, w.selectedRow); break;
        default: control = button(w.caption(id)); break;
        }
        table.add(int(id), control.enable(w.isEnabled(id)));
    }
    return table;
}

void MainDialog::routeCommands(DialogBinder &binder)
{
    using C = MainWindow::Control;
    MainWindow &w = m_window;
    w.previewHook = [this](int segment) {
        writeTestScript(m_window.project().segment(segment), m_window.settings(), m_settingsFolder, m_desktop);
    };
    binder.onClick(int(C::LoadButton), [&w] { w.load(); })
        .onRow(int(C::SegmentList), [&w](int row) { w.selectRow(row); })
        .onCheck(int(C::AutosizedBox), [&w](bool on) { w.autosizedBox = on; w.autosizedClicked(); })
        .onText(int(C::BitrateEdit), [&w](const std::string &text) {
            if (w.readBitrateText(text))
                w.bitrateTyped();
        })
        .onSlider(int(C::ReductionSlider), [&w](int position) { w.sliderPosition = position; w.sliderMoved(); })
        .onCheck(int(C::HideBox), [&w](bool on) { w.hideInsignificant = on; w.hideClicked(); })
        .onCheck(int(C::OpvForSmallBox), [&w](bool on) { w.opvForSmall = on; w.opvForSmallClicked(); })
        .onClick(int(C::VbrRadio), [&w] { w.vbrClicked(); })
        .onClick(int(C::OpvRadio), [&w] { w.opvClicked(); })
        .onClick(int(C::ResetButton), [&w] { w.resetBitrates(); })
        // Until the prediction window joins, a save that needs new Q factors keeps the current ones.
        .onClick(int(C::SaveButton), [&w] { w.save([] { return true; }); })
        .onClick(int(C::PreviewButton), [&w] { w.previewClicked(); })
        .onClick(int(C::SettingsButton), [this] { openSettings(); })
        .onClick(int(C::AboutButton), [this] { about(); })
        .onClick(int(C::ExitButton), [this] { exit(); });
    // Tweak Cells, Vob-ID Link, Global Options, Set Custom Q and AVS Editing follow their enable
    // rules; their windows join as their core classes arrive.
}
