#include "prediction/PredictionDialog.h"

#include "common/Format.h"
#include "platform/Desktop.h"
#include "platform/TypedFields.h"
#include "project/Project.h"
#include "scripts/Preview.h"
#include "settings/AppSettings.h"

#include <algorithm>
#include <cmath>

namespace {

// "1:05", or "1:02:05" from an hour on.
std::string durationText(double seconds)
{
    const long long whole = seconds > 0.0 ? (long long)std::llround(seconds) : 0;
    if (whole >= 3600)
        return cformat("%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    return cformat("%lld:%02lld", whole / 60, whole % 60);
}

} // namespace

const std::vector<PredictionDialog::Place> &PredictionDialog::layout()
{
    static const std::vector<Place> places = {
        {OptionsGroup, 7, 7, 310, 80},
        {SampleSizeLabel, 16, 22, 40, 8},
        {SampleSizeEdit, 59, 19, 28, 14},
        {SampleSizeUnit, 93, 22, 8, 8},
        {SafetyMarginLabel, 110, 22, 48, 8},
        {SafetyMarginEdit, 161, 19, 28, 14},
        {SafetyMarginUnit, 195, 22, 8, 8},
        {GopsPerRangeLabel, 209, 22, 54, 8},
        {GopsPerRangeEdit, 267, 19, 40, 14},
        {DoublePassBox, 19, 44, 55, 10},
        {MinimizedBox, 81, 44, 99, 10},
        {PredictButton, 259, 43, 50, 14},
        {SegmentList, 14, 65, 77, 80},
        {CheckQualityButton, 97, 64, 50, 14},
        {CancelButton, 197, 66, 50, 14},
        {SaveButton, 258, 66, 50, 14},
        {ProgressGroup, 7, 98, 310, 107},
        {LogBox, 17, 112, 290, 83},
        {ProgressLine, 17, 196, 290, 8},
        // A row of its own under the results: the options' frame has no room left.
        {ParallelEncodersLabel, 9, 214, 72, 8},
        {ParallelEncodersEdit, 84, 211, 24, 14},
    };
    return places;
}

PredictionDialog::PredictionDialog(Project &project, AppSettings &settings, std::string settingsFolder,
                                   Desktop &desktop)
    : m_project(project), m_settings(settings), m_settingsFolder(std::move(settingsFolder)), m_desktop(desktop)
{
    gopsPerRangeText = std::to_string(settings.gopsPerRange);
    safetyMarginText = formatGeneral(settings.safetyMargin, 15);
    sampleSizeText = formatGeneral(settings.sampleSize, 15);
    parallelEncodersText = std::to_string(settings.parallelEncoders);
    encodeMinimized = settings.encodeMinimized;
    doublePass = settings.doublePass;
}

PredictionDialog::~PredictionDialog() = default;

double PredictionDialog::now() const
{
    if (clock)
        return clock();
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

ControlTable PredictionDialog::controls() const
{
    const bool idle = !running();
    const bool succeeded = m_state == State::Succeeded;
    std::vector<std::string> rows;
    for (int index : m_entries) {
        const Segment &segment = m_project.segment(index);
        rows.push_back(cformat("VTS %2d - Vob-ID %3d", segment.vts, segment.cells.front().vobId));
    }

    ControlTable table;
    table.add(OptionsGroup, group("Prediction options"));
    table.add(SampleSizeLabel, label("Sample size:"));
    table.add(SampleSizeEdit, edit(sampleSizeText).enable(idle));
    table.add(SampleSizeUnit, label("%"));
    table.add(SafetyMarginLabel, label("Safety margin:"));
    table.add(SafetyMarginEdit, edit(safetyMarginText).enable(idle));
    table.add(SafetyMarginUnit, label("%"));
    table.add(GopsPerRangeLabel, label("GOPs per range:"));
    table.add(GopsPerRangeEdit, edit(gopsPerRangeText).enable(idle));
    table.add(ParallelEncodersLabel, label("Parallel encoders:"));
    table.add(ParallelEncodersEdit, edit(parallelEncodersText).enable(idle));
    table.add(DoublePassBox, checkBox("Double pass", doublePass).enable(idle));
    table.add(MinimizedBox, checkBox("Launch encoder minimized", encodeMinimized).enable(idle));
    table.add(PredictButton, button("PREDICT").enable(idle));
    table.add(SegmentList, dropDown(rows, selectedEntry).enable(succeeded));
    table.add(CheckQualityButton, button("Check Quality").enable(succeeded));
    table.add(CancelButton, button(idle ? "Cancel" : "Abort").enable(m_state != State::AbortRequested));
    table.add(SaveButton, button("Save").enable(succeeded));
    table.add(ProgressGroup, group("Progress and results"));
    table.add(LogBox, textBox(m_log));
    table.add(ProgressLine, label(progressText()));
    return table;
}

std::string PredictionDialog::progressText() const
{
    if (!m_run)
        return {};
    if (!running()) {
        const char *how = m_state == State::Succeeded ? "Finished" : "Stopped";
        return cformat("%s after %s, %d trials", how, durationText(m_finishedAt - m_started).c_str(), m_trials);
    }
    const PredictionRun &run = *m_run;
    const std::vector<PredictionRun::Active> active = run.activeSegments();
    if (active.empty())
        return "Preparing...";
    const int done = run.segmentsDone();
    const std::string elapsed = durationText(now() - m_started);
    std::string text;
    int trialsOfActive = 0;
    for (const PredictionRun::Active &a : active)
        trialsOfActive += a.ended ? 0 : a.trials;
    if (active.size() == 1) {
        const PredictionRun::Active &a = active.front();
        const Segment &segment = m_project.segment(a.segment);
        text = cformat("Segment %d of %d (VTS %d - VobID %d), trial %d, %s elapsed", a.ordinal, run.eligibleCount(),
                       segment.vts, segment.cells.front().vobId, std::max(a.trials + (a.encoding ? 1 : 0), 1),
                       elapsed.c_str());
    } else {
        text = "Segments ";
        for (std::size_t i = 0; i < active.size(); ++i)
            text += (i == 0 ? "" : ", ") + std::to_string(active[i].ordinal);
        text += cformat(" of %d running, %s elapsed", run.eligibleCount(), elapsed.c_str());
    }
    if (m_trials > 0) {
        // Segments still to come are guessed at the mean number of trials so far; the lanes
        // share them out.
        const int segmentsLeft = run.eligibleCount() - done;
        const double perSegment =
            done > 0 ? double(run.trialsOfDoneSegments()) / done : (m_settings.doublePass ? 8.0 : 4.0);
        const double trialsLeft = std::max(0.0, perSegment * segmentsLeft - double(trialsOfActive));
        const int sharing = std::max(1, std::min(run.lanes(), segmentsLeft));
        text += ", about " + durationText(trialsLeft * m_trialSeconds / m_trials / sharing) + " left";
    }
    return text;
}

std::vector<SegmentPrediction> PredictionDialog::results() const
{
    return m_run ? m_run->results() : std::vector<SegmentPrediction>();
}

void PredictionDialog::gopsPerRangeTyped(const std::string &text)
{
    if (!running())
        gopsPerRangeText = text;
}

void PredictionDialog::safetyMarginTyped(const std::string &text)
{
    if (!running())
        safetyMarginText = text;
}

void PredictionDialog::sampleSizeTyped(const std::string &text)
{
    if (!running())
        sampleSizeText = text;
}

void PredictionDialog::parallelEncodersTyped(const std::string &text)
{
    if (!running())
        parallelEncodersText = text;
}

void PredictionDialog::doublePassClicked(bool checked)
{
    if (!running())
        doublePass = checked;
}

void PredictionDialog::encodeMinimizedClicked(bool checked)
{
    if (!running())
        encodeMinimized = checked;
}

void PredictionDialog::entrySelected(int row)
{
    if (m_state == State::Succeeded && row >= -1 && row < int(m_entries.size()))
        selectedEntry = row;
}

bool PredictionDialog::predictClicked()
{
    if (running())
        return false;
    // The fields are read in the window's order; the first refusal ends the command.
    m_focus = 0;
    const std::optional<int> gops =
        readIntegerBetween(m_desktop, gopsPerRangeText, minGopsPerRange, maxGopsPerRange);
    if (!gops) {
        m_focus = GopsPerRangeEdit;
        return false;
    }
    const std::optional<double> margin = readNumberBetween(m_desktop, safetyMarginText, minSafetyMargin, maxSafetyMargin);
    if (!margin) {
        m_focus = SafetyMarginEdit;
        return false;
    }
    const std::optional<double> sample = readNumberBetween(m_desktop, sampleSizeText, minSampleSize, maxSampleSize);
    if (!sample) {
        m_focus = SampleSizeEdit;
        return false;
    }
    const std::optional<int> parallel =
        readIntegerBetween(m_desktop, parallelEncodersText, minParallelEncoders, maxParallelEncoders);
    if (!parallel) {
        m_focus = ParallelEncodersEdit;
        return false;
    }
    gopsPerRangeText = std::to_string(*gops);
    parallelEncodersText = std::to_string(*parallel);
    safetyMarginText = formatGeneral(*margin, 15);
    sampleSizeText = formatGeneral(*sample, 15);

    if (m_settings.ccePath.empty() && storesOptions)
        chooseCce(m_settings, m_settingsFolder, m_desktop);
    if (m_settings.ccePath.empty())
        return false;

    m_settings.gopsPerRange = *gops;
    m_settings.safetyMargin = *margin;
    m_settings.sampleSize = *sample;
    m_settings.doublePass = doublePass;
    m_settings.encodeMinimized = encodeMinimized;
    m_settings.parallelEncoders = *parallel;
    if (storesOptions)
        saveSettings(m_settings, m_settingsFolder, m_desktop);

    m_state = State::Running;
    m_log.clear();
    m_entries.clear();
    selectedEntry = -1;
    m_run = std::make_unique<PredictionRun>(m_project, m_settings, m_desktop);
    m_lanes.assign(std::size_t(m_run->lanes()), LaneTrial());
    m_started = now();
    m_trials = 0;
    m_trialSeconds = 0.0;
    return true;
}

void PredictionDialog::cancelClicked()
{
    switch (m_state) {
    case State::Idle:
    case State::Succeeded:
    case State::Failed: m_result = Result::Cancel; break;
    case State::Running:
        m_state = State::AbortRequested;
        m_run->requestAbort();
        break;
    case State::AbortRequested: break;
    }
}

void PredictionDialog::saveClicked()
{
    if (m_state == State::Succeeded)
        m_result = Result::Save;
}

void PredictionDialog::checkQualityClicked()
{
    if (m_state != State::Succeeded || selectedEntry < 0 || selectedEntry >= int(m_entries.size()))
        return;
    const SampleFiles files = sampleFilesOf(m_project, m_entries[std::size_t(selectedEntry)]);
    playScript(files.output, m_settings, m_settingsFolder, m_desktop);
}

PredictionStep PredictionDialog::nextStep()
{
    if (!m_run || !running())
        return {};
    PredictionStep step = m_run->next();
    switch (step.kind) {
    case PredictionStep::Kind::Log: appendLog(step.line); break;
    case PredictionStep::Kind::RunEncoder:
        m_lanes[std::size_t(step.lane)] = {step.encoder.outputPath, now()};
        break;
    case PredictionStep::Kind::Finished:
        m_state = step.succeeded ? State::Succeeded : State::Failed;
        for (const SegmentPrediction &segment : m_run->results()) {
            if (segment.qFactor != 0)
                m_entries.push_back(segment.segmentIndex);
        }
        selectedEntry = m_entries.empty() ? -1 : 0;
        m_finishedAt = now();
        break;
    case PredictionStep::Kind::None: break;
    }
    return step;
}

void PredictionDialog::encoderFinished(int lane, Desktop::EncoderResult result)
{
    if (!m_run || !m_run->waitingForEncoder(lane))
        return;
    const LaneTrial &trial = m_lanes[std::size_t(lane)];
    ++m_trials;
    m_trialSeconds += now() - trial.started;
    // An aborted trial is not measured: its output may not even exist.
    int sizeKb = 0;
    if (result == Desktop::EncoderResult::Finished && !m_run->abortRequested())
        sizeKb = fileSizeKb(trial.outputPath, m_desktop);
    m_run->encoderEnded(lane, result, sizeKb);
}

void PredictionDialog::encoderFinished(Desktop::EncoderResult result)
{
    if (m_run)
        encoderFinished(m_run->waitingLane(), result);
}

void PredictionDialog::appendLog(const std::string &line)
{
    m_log.push_back(line);
}
