#include "win32/PredictionWindow.h"

#include "win32/WideText.h"
#include "win32/Win32Desktop.h"
#include "win32/resource.h"

namespace {

constexpr UINT encoderEndedMessage = WM_APP + 2;

void CALLBACK processEnded(PVOID dialog, BOOLEAN)
{
    PostMessageW(static_cast<HWND>(dialog), encoderEndedMessage, 0, 0);
}

} // namespace

PredictionWindow::~PredictionWindow()
{
    if (m_wait)
        UnregisterWaitEx(m_wait, INVALID_HANDLE_VALUE);
    if (m_process)
        CloseHandle(m_process);
}

void PredictionWindow::bind(DialogBinder &binder)
{
    using Id = PredictionDialog::Id;
    PredictionDialog &w = m_window;
    setWindowText(handle(), PredictionDialog::title);
    binder.onText(Id::SampleSizeEdit, [&w](const std::string &text) { w.sampleSizeTyped(text); })
        .onText(Id::SafetyMarginEdit, [&w](const std::string &text) { w.safetyMarginTyped(text); })
        .onText(Id::GopsPerRangeEdit, [&w](const std::string &text) { w.gopsPerRangeTyped(text); })
        .onCheck(Id::DoublePassBox, [&w](bool checked) { w.doublePassClicked(checked); })
        .onCheck(Id::MinimizedBox, [&w](bool checked) { w.encodeMinimizedClicked(checked); })
        .onRow(Id::SegmentList, [&w](int row) { w.entrySelected(row); })
        .onClick(Id::PredictButton, [this] {
            if (m_window.predictClicked())
                advance();
            else if (HWND field = GetDlgItem(handle(), m_window.focusControl()))
                PostMessageW(handle(), WM_NEXTDLGCTL, WPARAM(field), TRUE);
        })
        .onClick(Id::CheckQualityButton, [&w] { w.checkQualityClicked(); })
        .onClick(Id::SaveButton, [&w] { w.saveClicked(); })
        .onClick(Id::CancelButton, [&w] { w.cancelClicked(); });
    binder.afterCommand([this] {
        if (m_window.result() != PredictionDialog::Result::Open && !m_process)
            close(m_window.result() == PredictionDialog::Result::Save ? IDOK : IDCANCEL);
    });
}

bool PredictionWindow::command(int id)
{
    if (id != IDCANCEL)
        return false;
    binder().run([this] { m_window.cancelClicked(); });
    return true;
}

bool PredictionWindow::message(UINT message, WPARAM, LPARAM)
{
    if (message != encoderEndedMessage)
        return false;
    binder().run([this] { encoderEnded(); });
    return true;
}

void PredictionWindow::advance()
{
    for (;;) {
        const PredictionStep step = m_window.nextStep();
        switch (step.kind) {
        case PredictionStep::Kind::Log: continue;
        case PredictionStep::Kind::RunEncoder:
            if (startEncoder(step.encoder))
                return;
            m_window.encoderFinished(Desktop::EncoderResult::CouldNotStart);
            continue;
        case PredictionStep::Kind::Finished:
        case PredictionStep::Kind::None: return;
        }
    }
}

bool PredictionWindow::startEncoder(const EncoderCommand &command)
{
    // "\"CCE\" -ecl \"list\" -batch", in the prediction folder.
    std::string line = "\"" + command.program + "\"";
    for (const std::string &argument : command.arguments)
        line += " " + quotedArgument(argument);
    std::wstring wideLine = wide(line);
    const std::wstring folder = wide(command.workingFolder);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = command.minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, wideLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        return false;
    CloseHandle(process.hThread);
    m_process = process.hProcess;
    if (!RegisterWaitForSingleObject(&m_wait, m_process, &processEnded, handle(), INFINITE,
                                     WT_EXECUTEONLYONCE)) {
        // Without the wait, the end is awaited here; the window does not repaint meanwhile.
        WaitForSingleObject(m_process, INFINITE);
        PostMessageW(handle(), encoderEndedMessage, 0, 0);
    }
    return true;
}

void PredictionWindow::encoderEnded()
{
    if (!m_process)
        return;
    if (m_wait) {
        UnregisterWaitEx(m_wait, INVALID_HANDLE_VALUE);
        m_wait = nullptr;
    }
    DWORD exitCode = 0;
    const bool known = GetExitCodeProcess(m_process, &exitCode);
    CloseHandle(m_process);
    m_process = nullptr;
    m_window.encoderFinished(known ? Desktop::EncoderResult::Finished : Desktop::EncoderResult::CouldNotGetExitCode);
    advance();
}

bool runPrediction(HWND owner, Project &project, AppSettings &settings, const std::string &settingsFolder,
                   Desktop &desktop)
{
    PredictionDialog window(project, settings, settingsFolder, desktop);
    PredictionWindow dialog(window);
    dialog.runModal(IDD_PREDICTION, owner);
    return window.result() == PredictionDialog::Result::Save;
}
