#include "win32/MainDialog.h"

#include "app/MainWindow.h"
#include "win32/AboutDialog.h"
#include "win32/PlanningDialogs.h"
#include "win32/PredictionWindow.h"
#include "win32/ScriptEditorWindow.h"
#include "win32/SettingsWindowDialog.h"
#include "win32/WideText.h"
#include "win32/resource.h"

namespace {

constexpr UINT loadAtStart = WM_APP + 1;

} // namespace

MainDialog::MainDialog(MainWindow &window, Desktop &desktop, std::string startPath)
    : m_window(window), m_desktop(desktop), m_startPath(std::move(startPath))
{
}

void MainDialog::bind(DialogBinder &binder)
{
    HWND dialog = handle();
    setWindowText(dialog, MainWindow::windowTitle);
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

ControlTable MainDialog::controls()
{
    return m_window.controls();
}

void MainDialog::routeCommands(DialogBinder &binder)
{
    using Id = MainWindow::Id;
    MainWindow &w = m_window;
    binder.onClick(Id::LoadButton, [&w] { w.loadClicked(); })
        .onRow(Id::SegmentList, [&w](int row) { w.rowSelected(row); })
        .onCheck(Id::AutosizedBox, [&w](bool checked) { w.autosizedClicked(checked); })
        .onText(Id::BitrateEdit, [&w](const std::string &text) { w.bitrateTyped(text); })
        .onSlider(Id::ReductionSlider, [&w](int position) { w.sliderMoved(position); })
        .onCheck(Id::HideBox, [&w](bool checked) { w.hideClicked(checked); })
        .onCheck(Id::OpvForSmallBox, [&w](bool checked) { w.opvForSmallClicked(checked); })
        .onClick(Id::VbrRadio, [&w] { w.vbrClicked(); })
        .onClick(Id::OpvRadio, [&w] { w.opvClicked(); })
        .onClick(Id::ResetButton, [&w] { w.resetClicked(); })
        // A save with replanned OPV segments runs the prediction window first; its Cancel stops it.
        .onClick(Id::SaveButton, [this, &w] {
            w.saveClicked([this, &w] {
                return runPrediction(handle(), w.project(), w.settings(), w.settingsFolder(), m_desktop);
            });
        })
        .onClick(Id::PreviewButton, [&w] { w.previewClicked(); })
        .onClick(Id::SettingsButton, [this] { openSettings(); })
        .onClick(Id::TweakCellsButton, [this] { runTweakCells(handle(), m_window); })
        .onClick(Id::ScriptEditorButton, [this] { runScriptEditor(handle(), m_window); })
        .onClick(Id::LinkButton, [this] { runLinkVobIds(handle(), m_window); })
        .onClick(Id::GlobalOptionsButton, [this] { runGlobalOptions(handle(), m_window); })
        .onClick(Id::CustomQButton, [this] { runSetQFactor(handle(), m_window); })
        .onClick(Id::AboutButton, [this] { about(); })
        .onClick(Id::ExitButton, [this] { exit(); });
}
