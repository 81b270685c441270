#include "win32/PredictionWindow.h"

#include "common/CommandLine.h"

#include "win32/WideText.h"
#include "win32/Win32Desktop.h"
#include "win32/resource.h"

namespace {

constexpr UINT encoderEndedMessage = WM_APP + 2;

void CALLBACK processEnded(PVOID context, BOOLEAN)
{
    const auto *lane = static_cast<const PredictionWindow::Lane *>(context);
    PostMessageW(lane->window, encoderEndedMessage, WPARAM(lane->index), 0);
}

} // namespace

PredictionWindow::PredictionWindow(PredictionDialog &window) : m_window(window)
{
    for (std::size_t i = 0; i < m_lanes.size(); ++i)
        m_lanes[i].index = int(i);
}

PredictionWindow::~PredictionWindow()
{
    for (Lane &lane : m_lanes) {
        if (lane.wait)
            UnregisterWaitEx(lane.wait, INVALID_HANDLE_VALUE);
        if (lane.process)
            CloseHandle(lane.process);
    }
}

bool PredictionWindow::encoding() const
{
    for (const Lane &lane : m_lanes)
        if (lane.process)
            return true;
    return false;
}

void PredictionWindow::bind(DialogBinder &binder)
{
    using Id = PredictionDialog::Id;
    PredictionDialog &w = m_window;
    setWindowText(handle(), PredictionDialog::title);
    binder.onText(Id::SampleSizeEdit, [&w](const std::string &text) { w.sampleSizeTyped(text); })
        .onText(Id::SafetyMarginEdit, [&w](const std::string &text) { w.safetyMarginTyped(text); })
        .onText(Id::GopsPerRangeEdit, [&w](const std::string &text) { w.gopsPerRangeTyped(text); })
        .onText(Id::ParallelEncodersEdit, [&w](const std::string &text) { w.parallelEncodersTyped(text); })
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
        if (m_window.result() != PredictionDialog::Result::Open && !encoding())
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

bool PredictionWindow::message(UINT message, WPARAM wParam, LPARAM)
{
    if (message != encoderEndedMessage)
        return false;
    const int lane = int(wParam);
    binder().run([this, lane] { encoderEnded(lane); });
    return true;
}

void PredictionWindow::advance()
{
    for (;;) {
        const PredictionStep step = m_window.nextStep();
        switch (step.kind) {
        case PredictionStep::Kind::Log: continue;
        case PredictionStep::Kind::RunEncoder:
            // With parallel encoders the next lane may have a trial to start as well.
            if (!startEncoder(step.lane, step.encoder))
                m_window.encoderFinished(step.lane, Desktop::EncoderResult::CouldNotStart);
            continue;
        case PredictionStep::Kind::Finished:
        case PredictionStep::Kind::None: return;
        }
    }
}

bool PredictionWindow::startEncoder(int laneIndex, const EncoderCommand &command)
{
    if (laneIndex < 0 || std::size_t(laneIndex) >= m_lanes.size() || m_lanes[std::size_t(laneIndex)].process)
        return false;
    Lane &lane = m_lanes[std::size_t(laneIndex)];
    // "\"CCE\" -ecl \"list\" -batch", in the prediction folder.
    HANDLE process = startWindowsProcess(command.program, command.arguments, command.workingFolder, command.minimized);
    if (!process)
        return false;
    lane.process = process;
    lane.window = handle();
    if (!RegisterWaitForSingleObject(&lane.wait, lane.process, &processEnded, &lane, INFINITE,
                                     WT_EXECUTEONLYONCE)) {
        // Without the wait, the end is awaited here; the window does not repaint meanwhile.
        lane.wait = nullptr;
        WaitForSingleObject(lane.process, INFINITE);
        PostMessageW(handle(), encoderEndedMessage, WPARAM(laneIndex), 0);
    }
    return true;
}

void PredictionWindow::encoderEnded(int laneIndex)
{
    if (laneIndex < 0 || std::size_t(laneIndex) >= m_lanes.size())
        return;
    Lane &lane = m_lanes[std::size_t(laneIndex)];
    if (!lane.process)
        return;
    if (lane.wait) {
        UnregisterWaitEx(lane.wait, INVALID_HANDLE_VALUE);
        lane.wait = nullptr;
    }
    DWORD exitCode = 0;
    const bool known = GetExitCodeProcess(lane.process, &exitCode);
    CloseHandle(lane.process);
    lane.process = nullptr;
    m_window.encoderFinished(laneIndex, known ? Desktop::EncoderResult::Finished
                                              : Desktop::EncoderResult::CouldNotGetExitCode);
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
