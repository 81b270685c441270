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
    : m_project(project), m_options(settings), m_desktop(desktop)
{
}

bool PredictionRun::isEligible(const Segment &segment)
{
    return !segment.vbrMode && segment.significantCells != 0 && segment.replanned;
}

int PredictionRun::segmentTrials() const
{
    int trials = 0;
    if (!m_results.empty()) {
        for (const PredictionPass &pass : m_results.back().passes)
            trials += int(pass.trials.size());
    }
    return trials;
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

void PredictionRun::encoderEnded(Desktop::EncoderResult result, int sizeKb)
{
    if (m_phase != Phase::AwaitEncoder)
        return;
    m_encoderResult = result;
    m_sizeKb = sizeKb;
    m_phase = Phase::Measured;
}

void PredictionRun::advance()
{
    while (m_steps.empty()) {
        switch (m_phase) {
        case Phase::Prepare: prepare(); break;
        case Phase::NextSegment: nextSegment(); break;
        case Phase::StartPass: startPass(); break;
        case Phase::Trial: trial(); break;
        case Phase::Measured: measured(); break;
        case Phase::PassEnded: passEnded(); break;
        case Phase::Done: {
            PredictionStep step;
            step.kind = PredictionStep::Kind::Finished;
            step.succeeded = m_succeeded;
            m_steps.push_back(step);
            m_phase = Phase::Finished;
            break;
        }
        case Phase::AwaitEncoder:
        case Phase::Finished: return;
        }
    }
}

void PredictionRun::log(std::string line)
{
    PredictionStep step;
    step.kind = PredictionStep::Kind::Log;
    step.line = std::move(line);
    m_steps.push_back(std::move(step));
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
    m_phase = Phase::NextSegment;
}

void PredictionRun::nextSegment()
{
    int index = m_segment + 1;
    while (!m_abort && index <= m_project.lastSegmentIndex() && !isEligible(m_project.segment(index)))
        ++index;
    if (m_abort || index > m_project.lastSegmentIndex()) {
        m_succeeded = !m_abort;
        m_phase = Phase::Done;
        return;
    }
    m_segment = index;
    ++m_ordinal;
    SegmentPrediction record;
    record.segmentIndex = index;
    m_results.push_back(record);
    const Segment &segment = m_project.segment(index);
    log(cformat("=== Running prediction on VTS %d - VobID %d", segment.vts, segment.cells.front().vobId));
    m_rangeOffset = 0;
    m_passNumber = 1;
    m_q0 = 0;
    m_phase = Phase::StartPass;
}

void PredictionRun::startPass()
{
    m_results.back().passes.emplace_back();
    const Segment &segment = m_project.segment(m_segment);
    m_files = sampleFilesOf(m_project, m_segment);

    std::string problem;
    const SampleOptions sampling{m_options.sampleSize, m_options.gopsPerRange};
    const std::optional<SamplePlan> plan =
        writeSampleScript(m_project, m_segment, sampling, m_files.script, m_rangeOffset, m_desktop, problem);
    if (!plan) {
        if (!problem.empty())
            log(problem);
        endPass(0);
        return;
    }
    // The list names its files as the encoder sees them: Windows paths for CCE under Wine.
    SampleFiles named = m_files;
    named.script = pathForProgram(m_options.ccePath, m_files.script);
    named.output = pathForProgram(m_options.ccePath, m_files.output);
    std::optional<std::vector<std::string>> lines =
        writeSampleList(m_project, m_segment, named, plan->sampled, m_desktop);
    if (!lines) {
        endPass(0);
        return;
    }
    m_listLines = std::move(*lines);
    m_sampled = plan->sampled;

    // The size the segment may take, in sectors: the plan less the safety margin, plus what
    // the encoder's GOP structure is known to give away.
    const long long F = segment.frameSum();
    long long size = segment.sizeSectors();
    size = truncateToLong((1.0 - m_options.safetyMargin * 0.01) * double(size));
    size = truncateToLong(double(size) * (segment.settings.gopHeader == 15 ? 1.012 : 1.017));
    if (size <= 0) {
        log(cformat("*** Cannot predict: the segment is planned at %lld sectors", size));
        endPass(0);
        return;
    }
    if (m_q0 == 0) {
        m_q0 = truncateToInt(double(F) / double(size) * 285.0);
        if (m_q0 == 0)
            m_q0 = 1;
        log(cformat("--- Initial Q: %d", m_q0));
    }
    const long long targetKb = 2 * truncateToLong(double(20030 - (long long)m_q0) * double(size) * 0.00005);
    log(cformat("--- Frames: %lld, target size: %lld KB", F, targetKb));
    m_desiredKb = truncateToInt(double(targetKb) / double(F) * double(m_sampled));
    log(cformat("--- Desired sample size: %d KB", m_desiredKb));
    // Nothing can be compared with a desired size of 0 KB.
    if (m_desiredKb <= 0) {
        log("*** Cannot predict: the sample's desired size is below 1 KB");
        endPass(0);
        return;
    }
    m_qt = m_q0;
    m_prevErr = 100.0;
    m_trialCounter = 1;
    m_tested.clear();
    m_phase = Phase::Trial;
}

void PredictionRun::trial()
{
    writeTrialList(m_listLines, m_files.list, m_qt);
    log(cformat("--- Pass %d. Waiting for encoder...", m_trialCounter));
    ++m_trialCounter;
    log(cformat("--- Testinq Q factor: %d", m_qt));
    m_tested.insert(m_qt);

    PredictionStep step;
    step.kind = PredictionStep::Kind::RunEncoder;
    EncoderCommand &command = step.encoder;
    command.program = m_options.ccePath;
    command.arguments = {"-ecl", pathForProgram(m_options.ccePath, m_files.list), "-batch"};
    command.workingFolder = m_folder;
    // CCE 2.70 in CCE mode opens its window in front of everything else.
    command.minimized = m_options.encodeMinimized || (m_project.encoderMode == 1 && m_project.cceType == 3);
    command.outputPath = m_files.output;
    command.qFactor = m_qt;
    command.sampledFrames = m_sampled;
    m_steps.push_back(std::move(step));
    m_phase = Phase::AwaitEncoder;
}

void PredictionRun::measured()
{
    switch (m_encoderResult) {
    case Desktop::EncoderResult::Finished: break;
    case Desktop::EncoderResult::CouldNotStart:
        m_desktop.showMessage("Could not create CCE process", Desktop::Icon::Error);
        endPass(0);
        return;
    case Desktop::EncoderResult::CouldNotGetExitCode:
        m_desktop.showMessage("Could not get CCE process exit code", Desktop::Icon::Error);
        endPass(0);
        return;
    }
    if (m_abort) {
        log("=== Prediction aborted");
        endPass(0);
        return;
    }
    if (m_sizeKb <= 0) {
        endPass(0);
        return;
    }
    const double ratio = double(m_sizeKb) / double(m_desiredKb);
    m_err = ratio * 100.0 - 100.0;
    log(cformat("--- Obtained sample size: %d KB (%s%% error)", m_sizeKb, formatFixed(m_err, 0, 1).c_str()));
    m_results.back().passes.back().trials.push_back({m_qt, m_sizeKb, m_err});

    int result = m_qt;
    const long long err = truncateToLong(m_err);
    const bool growing = std::llabs(err) > std::llabs(truncateToLong(m_prevErr));
    const bool closeEnough = err == 0; // under 1 % either way
    if (!growing && !closeEnough) {
        int qn = truncateToInt(((ratio - 1.0) * 1.45 + 1.0) * double(m_qt));
        if (qn < 1 && m_qt == 1) {
            result = 0;
        } else {
            qn = std::max(qn, 1);
            if (qn == m_qt) {
                log("--- No change in Q for next iteration");
            } else if (!m_tested.count(qn)) {
                // A Q factor already encoded in this pass (the one before this trial is the
                // common case) would only lead round the same circle again.
                m_qt = qn;
                m_prevErr = m_err;
                m_phase = Phase::Trial;
                return;
            }
        }
    }
    // A higher Q factor gives a smaller encode.
    if (m_err > 0.0) {
        log("--- Overshot, incrementing Q");
        result = result < INT_MAX ? result + 1 : result;
    }
    endPass(result);
}

void PredictionRun::endPass(int result)
{
    m_results.back().passes.back().qFactor = result;
    m_result = result;
    m_phase = Phase::PassEnded;
}

void PredictionRun::passEnded()
{
    if (m_abort) {
        endSegment(0);
        return;
    }
    const Segment &segment = m_project.segment(m_segment);
    int q = m_result;
    if (m_passNumber == 1) {
        m_firstPassQ = m_result;
        if (m_options.doublePass) {
            log(cformat("--- First pass: found Q factor %d", m_firstPassQ));
            log(cformat("=== Verifying prediction on VTS %d - VobID %d", segment.vts, segment.cells.front().vobId));
            m_passNumber = 2;
            m_q0 = m_firstPassQ;
            m_phase = Phase::StartPass;
            return;
        }
    } else {
        log(cformat("--- Second pass: found Q factor %d", m_result));
        if (std::abs(m_result - m_firstPassQ) > 2)
            log("*** Warning. sample size is too small for accurate prediction.");
        q = truncateToInt((double(m_firstPassQ) + double(m_result)) * 0.5);
    }
    log(cformat("*** Using Q factor %d", q));
    m_project.segment(m_segment).settings.videoType = opvVideoType(m_project.cceType);
    endSegment(q);
}

void PredictionRun::endSegment(int q)
{
    m_results.back().qFactor = q;
    if (q == 0)
        log("=== Q Factor not calculated");
    else
        m_project.segment(m_segment).settings.opvQFactor = q;
    m_phase = Phase::NextSegment;
}
