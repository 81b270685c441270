#include "prediction/PredictionRun.h"

#include "platform/PathMapper.h"
#include "common/Format.h"
#include "planning/Truncate.h"
#include "project/Project.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

using planning::detail::truncateToInt;
using planning::detail::truncateToLong;

namespace {

// The mode code of OPV encoding for the project's CCE version.
int opvVideoType(int cceType)
{
    switch (cceType) {
    case 1: return 2;
    case 3:
    case -1: return 4;
    default: return 0;
    }
}

} // namespace

PredictionRun::PredictionRun(Project &project, const AppSettings &settings, Desktop &desktop)
    : m_project(project), m_options(settings), m_desktop(desktop),
      m_lanes(std::size_t(std::max(settings.parallelEncoders, 1)))
{
}

bool PredictionRun::isEligible(const Segment &segment)
{
    return !segment.vbrMode && segment.significantCells != 0 && segment.replanned;
}

bool PredictionRun::waitingForEncoder(int lane) const
{
    return lane >= 0 && lane < lanes() && m_lanes[std::size_t(lane)].phase == Lane::Phase::AwaitEncoder;
}

int PredictionRun::waitingLane() const
{
    for (int lane = 0; lane < lanes(); ++lane)
        if (waitingForEncoder(lane))
            return lane;
    return -1;
}

int PredictionRun::trialsOf(const Lane &lane) const
{
    int trials = 0;
    for (const PredictionPass &pass : m_results[lane.record].passes)
        trials += int(pass.trials.size());
    return trials;
}

std::vector<PredictionRun::Active> PredictionRun::activeSegments() const
{
    std::vector<Active> active;
    for (const Lane &lane : m_lanes) {
        if (lane.phase != Lane::Phase::Idle)
            active.push_back({lane.segment, lane.ordinal, trialsOf(lane), lane.phase == Lane::Phase::AwaitEncoder});
    }
    std::sort(active.begin(), active.end(), [](const Active &a, const Active &b) { return a.ordinal < b.ordinal; });
    if (active.empty() && m_lastEnded.ordinal > 0)
        active.push_back(m_lastEnded);
    return active;
}

PredictionStep PredictionRun::next()
{
    advance();
    if (m_steps.empty())
        return {};
    PredictionStep step = std::move(m_steps.front());
    m_steps.pop_front();
    return step;
}

void PredictionRun::encoderEnded(int lane, Desktop::EncoderResult result, int sizeKb)
{
    if (!waitingForEncoder(lane))
        return;
    Lane &l = m_lanes[std::size_t(lane)];
    l.encoderResult = result;
    l.sizeKb = sizeKb;
    l.phase = Lane::Phase::Measured;
}

void PredictionRun::encoderEnded(Desktop::EncoderResult result, int sizeKb)
{
    encoderEnded(waitingLane(), result, sizeKb);
}

void PredictionRun::advance()
{
    while (m_steps.empty()) {
        switch (m_phase) {
        case Phase::Prepare: prepare(); break;
        case Phase::Running:
            if (!work())
                return;
            break;
        case Phase::Done: {
            PredictionStep step;
            step.kind = PredictionStep::Kind::Finished;
            step.succeeded = m_succeeded;
            m_steps.push_back(step);
            m_phase = Phase::Finished;
            break;
        }
        case Phase::Finished: return;
        }
    }
}

bool PredictionRun::work()
{
    for (Lane &lane : m_lanes) {
        switch (lane.phase) {
        case Lane::Phase::StartPass: startPass(lane); return true;
        case Lane::Phase::Trial: trial(lane); return true;
        case Lane::Phase::Measured: measured(lane); return true;
        case Lane::Phase::PassEnded: passEnded(lane); return true;
        case Lane::Phase::Idle:
        case Lane::Phase::AwaitEncoder: break;
        }
    }
    bool busy = false;
    for (Lane &lane : m_lanes)
        busy = busy || lane.phase != Lane::Phase::Idle;
    for (Lane &lane : m_lanes) {
        if (lane.phase == Lane::Phase::Idle && startNextSegment(lane))
            return true;
    }
    if (busy)
        return false;
    m_succeeded = !m_abort;
    m_phase = Phase::Done;
    return true;
}

void PredictionRun::emitLog(std::string line)
{
    PredictionStep step;
    step.kind = PredictionStep::Kind::Log;
    step.line = std::move(line);
    m_steps.push_back(std::move(step));
}

void PredictionRun::log(Lane &lane, std::string line)
{
    if (m_lanes.size() == 1)
        emitLog(std::move(line));
    else
        lane.held.push_back(std::move(line));
}

void PredictionRun::prepare()
{
    m_folder = predictionFolder(m_project.infPath);
    for (const Segment &segment : m_project.segments)
        m_eligibleCount += isEligible(segment) ? 1 : 0;
    if (!prepareFolder(m_folder, m_desktop)) {
        m_succeeded = false;
        m_phase = Phase::Done;
        return;
    }
    m_phase = Phase::Running;
}

bool PredictionRun::startNextSegment(Lane &lane)
{
    if (m_abort)
        return false;
    int index = m_candidate;
    while (index <= m_project.lastSegmentIndex() && !isEligible(m_project.segment(index)))
        ++index;
    m_candidate = index;
    if (index > m_project.lastSegmentIndex())
        return false;
    // Two encoders must never share a list or an output: a segment named like one still being
    // searched (a project that repeats an identity) waits for it.
    const SampleFiles files = sampleFilesOf(m_project, index);
    for (const Lane &other : m_lanes) {
        if (other.phase != Lane::Phase::Idle && other.files.list == files.list)
            return false;
    }
    m_candidate = index + 1;

    lane = Lane();
    lane.segment = index;
    lane.ordinal = ++m_started;
    lane.files = files;
    lane.record = m_results.size();
    SegmentPrediction record;
    record.segmentIndex = index;
    m_results.push_back(record);
    const Segment &segment = m_project.segment(index);
    log(lane, cformat("=== Running prediction on VTS %d - VobID %d", segment.vts, segment.cells.front().vobId));
    lane.rangeOffset = 0;
    lane.passNumber = 1;
    lane.q0 = 0;
    lane.phase = Lane::Phase::StartPass;
    return true;
}

void PredictionRun::startPass(Lane &lane)
{
    m_results[lane.record].passes.emplace_back();
    const Segment &segment = m_project.segment(lane.segment);

    std::string problem;
    const SampleOptions sampling{m_options.sampleSize, m_options.gopsPerRange};
    const std::optional<SamplePlan> plan = writeSampleScript(m_project, lane.segment, sampling, lane.files.script,
                                                             lane.rangeOffset, m_desktop, problem);
    if (!plan) {
        if (!problem.empty())
            log(lane, problem);
        endPass(lane, 0);
        return;
    }
    // The list names its files as the encoder sees them: Windows paths for CCE under Wine.
    SampleFiles named = lane.files;
    named.script = pathForProgram(m_options.ccePath, lane.files.script);
    named.output = pathForProgram(m_options.ccePath, lane.files.output);
    std::optional<std::vector<std::string>> lines =
        writeSampleList(m_project, lane.segment, named, plan->sampled, m_desktop);
    if (!lines) {
        endPass(lane, 0);
        return;
    }
    lane.listLines = std::move(*lines);
    lane.sampled = plan->sampled;

    // The size the segment may take, in sectors: the plan less the safety margin, plus what
    // the encoder's GOP structure is known to give away.
    const long long F = segment.frameSum();
    long long size = segment.sizeSectors();
    size = truncateToLong((1.0 - m_options.safetyMargin * 0.01) * double(size));
    size = truncateToLong(double(size) * (segment.settings.gopHeader == 15 ? 1.012 : 1.017));
    if (size <= 0) {
        log(lane, cformat("*** Cannot predict: the segment is planned at %lld sectors", size));
        endPass(lane, 0);
        return;
    }
    if (lane.q0 == 0) {
        lane.q0 = truncateToInt(double(F) / double(size) * 285.0);
        if (lane.q0 == 0)
            lane.q0 = 1;
        log(lane, cformat("--- Initial Q: %d", lane.q0));
    }
    const long long targetKb = 2 * truncateToLong(double(20030 - (long long)lane.q0) * double(size) * 0.00005);
    log(lane, cformat("--- Frames: %lld, target size: %lld KB", F, targetKb));
    lane.desiredKb = truncateToInt(double(targetKb) / double(F) * double(lane.sampled));
    log(lane, cformat("--- Desired sample size: %d KB", lane.desiredKb));
    // Nothing can be compared with a desired size of 0 KB.
    if (lane.desiredKb <= 0) {
        log(lane, "*** Cannot predict: the sample's desired size is below 1 KB");
        endPass(lane, 0);
        return;
    }
    lane.qt = lane.q0;
    lane.prevErr = 100.0;
    lane.trialCounter = 1;
    lane.tested.clear();
    lane.phase = Lane::Phase::Trial;
}

void PredictionRun::trial(Lane &lane)
{
    // No trial starts once the user asked to stop.
    if (m_abort) {
        log(lane, "=== Prediction aborted");
        endPass(lane, 0);
        return;
    }
    writeTrialList(lane.listLines, lane.files.list, lane.qt);
    log(lane, cformat("--- Pass %d. Waiting for encoder...", lane.trialCounter));
    ++lane.trialCounter;
    log(lane, cformat("--- Testinq Q factor: %d", lane.qt));
    lane.tested.insert(lane.qt);

    PredictionStep step;
    step.kind = PredictionStep::Kind::RunEncoder;
    step.lane = int(&lane - m_lanes.data());
    EncoderCommand &command = step.encoder;
    command.program = m_options.ccePath;
    command.arguments = {"-ecl", pathForProgram(m_options.ccePath, lane.files.list), "-batch"};
    command.workingFolder = m_folder;
    // CCE 2.70 in CCE mode opens its window in front of everything else.
    command.minimized = m_options.encodeMinimized || (m_project.encoderMode == 1 && m_project.cceType == 3);
    command.outputPath = lane.files.output;
    command.qFactor = lane.qt;
    command.sampledFrames = lane.sampled;
    m_steps.push_back(std::move(step));
    lane.phase = Lane::Phase::AwaitEncoder;
}

void PredictionRun::measured(Lane &lane)
{
    switch (lane.encoderResult) {
    case Desktop::EncoderResult::Finished: break;
    case Desktop::EncoderResult::CouldNotStart:
        m_desktop.showMessage("Could not create CCE process", Desktop::Icon::Error);
        endPass(lane, 0);
        return;
    case Desktop::EncoderResult::CouldNotGetExitCode:
        m_desktop.showMessage("Could not get CCE process exit code", Desktop::Icon::Error);
        endPass(lane, 0);
        return;
    }
    if (m_abort) {
        log(lane, "=== Prediction aborted");
        endPass(lane, 0);
        return;
    }
    if (lane.sizeKb <= 0) {
        endPass(lane, 0);
        return;
    }
    const double ratio = double(lane.sizeKb) / double(lane.desiredKb);
    lane.err = ratio * 100.0 - 100.0;
    log(lane, cformat("--- Obtained sample size: %d KB (%s%% error)", lane.sizeKb, formatFixed(lane.err, 0, 1).c_str()));
    m_results[lane.record].passes.back().trials.push_back({lane.qt, lane.sizeKb, lane.err});

    int result = lane.qt;
    const long long err = truncateToLong(lane.err);
    const bool growing = std::llabs(err) > std::llabs(truncateToLong(lane.prevErr));
    const bool closeEnough = err == 0; // under 1 % either way
    if (!growing && !closeEnough) {
        int qn = truncateToInt(((ratio - 1.0) * 1.45 + 1.0) * double(lane.qt));
        if (qn < 1 && lane.qt == 1) {
            result = 0;
        } else {
            qn = std::max(qn, 1);
            if (qn == lane.qt) {
                log(lane, "--- No change in Q for next iteration");
            } else if (!lane.tested.count(qn)) {
                // A Q factor already encoded in this pass (the one before this trial is the
                // common case) would only lead round the same circle again.
                lane.qt = qn;
                lane.prevErr = lane.err;
                lane.phase = Lane::Phase::Trial;
                return;
            }
        }
    }
    // A higher Q factor gives a smaller encode.
    if (lane.err > 0.0) {
        log(lane, "--- Overshot, incrementing Q");
        result = result < INT_MAX ? result + 1 : result;
    }
    endPass(lane, result);
}

void PredictionRun::endPass(Lane &lane, int result)
{
    m_results[lane.record].passes.back().qFactor = result;
    lane.result = result;
    lane.phase = Lane::Phase::PassEnded;
}

void PredictionRun::passEnded(Lane &lane)
{
    if (m_abort) {
        endSegment(lane, 0);
        return;
    }
    const Segment &segment = m_project.segment(lane.segment);
    int q = lane.result;
    if (lane.passNumber == 1) {
        lane.firstPassQ = lane.result;
        if (m_options.doublePass) {
            log(lane, cformat("--- First pass: found Q factor %d", lane.firstPassQ));
            log(lane, cformat("=== Verifying prediction on VTS %d - VobID %d", segment.vts, segment.cells.front().vobId));
            lane.passNumber = 2;
            lane.q0 = lane.firstPassQ;
            lane.phase = Lane::Phase::StartPass;
            return;
        }
    } else {
        log(lane, cformat("--- Second pass: found Q factor %d", lane.result));
        if (std::abs(lane.result - lane.firstPassQ) > 2)
            log(lane, "*** Warning. sample size is too small for accurate prediction.");
        q = truncateToInt((double(lane.firstPassQ) + double(lane.result)) * 0.5);
    }
    log(lane, cformat("*** Using Q factor %d", q));
    m_project.segment(lane.segment).settings.videoType = opvVideoType(m_project.cceType);
    endSegment(lane, q);
}

void PredictionRun::endSegment(Lane &lane, int q)
{
    m_results[lane.record].qFactor = q;
    if (q == 0)
        log(lane, "=== Q Factor not calculated");
    else
        m_project.segment(lane.segment).settings.opvQFactor = q;
    for (std::string &line : lane.held)
        emitLog(std::move(line));
    lane.held.clear();
    ++m_segmentsDone;
    m_trialsOfDoneSegments += trialsOf(lane);
    m_lastEnded = {lane.segment, lane.ordinal, trialsOf(lane), false, true};
    lane.phase = Lane::Phase::Idle;
}
