#pragma once

// The Q factor search of OPV prediction, as a state machine that never waits.
//
// For every OPV segment whose plan changed, the run encodes short samples of the segment with
// CCE at trial Q factors and corrects Q from the measured sample size until the sample meets
// the size the segment's plan gives it. Encoding takes seconds to minutes per trial, so the
// run does not start the encoder itself: next() hands out what to do, one step at a time,
//   - Log:        append this line to the log;
//   - RunEncoder: run this program on these arguments in this folder, and when it has ended
//                 call encoderEnded() with how it went and the sample output's size;
//   - Finished:   the run is over (succeeded says whether it reached its end);
//   - None:       nothing to do until encoderEnded() is called.
// The quick work in between (the prediction folder, the sample script and list, the list of
// each trial) is done inside next(); messages about files go through the desktop.
//
// The desktop window runs the encoder as a child process without blocking its event loop;
// tavro-cli runs it and waits. An abort takes effect after the running trial: the flag is
// looked at when an encoder run has ended and before every segment, and the encoder is never
// stopped. Q factors found are written into the segments as the run goes, and stay there.

#include "platform/Desktop.h"
#include "prediction/SampleList.h"
#include "prediction/SampleScript.h"
#include "settings/AppSettings.h"

#include <deque>
#include <set>
#include <string>
#include <vector>

class Project;
class Segment;

struct EncoderCommand {
    std::string program;                // CCE
    std::vector<std::string> arguments; // "-ecl", the sample list, "-batch"
    std::string workingFolder;          // the prediction folder
    bool minimized = false;             // start the encoder's window minimized (or without one)
    std::string outputPath;             // the sample output, measured after the run
    int qFactor = 0;                    // the Q factor under test
    int sampledFrames = 0;              // frames in the sample
};

struct PredictionStep {
    enum class Kind { None, Log, RunEncoder, Finished };
    Kind kind = Kind::None;
    std::string line;       // Log
    EncoderCommand encoder; // RunEncoder
    bool succeeded = false; // Finished
};

// What a run did, segment by segment, for reports.
struct PredictionTrial {
    int qFactor = 0;
    int sizeKb = 0;
    double errorPercent = 0.0; // + larger, - smaller than the desired sample size
};
struct PredictionPass {
    int qFactor = 0; // the pass's result; 0 when it failed or was aborted
    std::vector<PredictionTrial> trials;
};
struct SegmentPrediction {
    int segmentIndex = 0;
    std::vector<PredictionPass> passes;
    int qFactor = 0; // used for the segment; 0: not calculated
};

class PredictionRun {
public:
    // The options (sample size, safety margin, GOPs per range, double pass, minimized, CCE
    // path) are taken from `settings` as they are now.
    PredictionRun(Project &project, const AppSettings &settings, Desktop &desktop);

    PredictionStep next();
    // How the encoder run handed out last went, and the size of its output in KB (0 when there
    // is none). Ignored when no encoder run is outstanding.
    void encoderEnded(Desktop::EncoderResult result, int sizeKb);
    void requestAbort() { m_abort = true; }
    bool abortRequested() const { return m_abort; }
    bool waitingForEncoder() const { return m_phase == Phase::AwaitEncoder; }
    bool finished() const { return m_phase == Phase::Finished; }

    // Segments the run looks at: OPV, with cells of more than 10 frames, replanned.
    static bool isEligible(const Segment &segment);
    int eligibleCount() const { return m_eligibleCount; }
    // 1-based position of the current segment among the eligible ones; 0 before the first.
    int segmentOrdinal() const { return m_ordinal; }
    int currentSegment() const { return m_segment; }
    // Trials run so far for the current segment, over both passes.
    int segmentTrials() const;
    const std::vector<SegmentPrediction> &results() const { return m_results; }

private:
    enum class Phase { Prepare, NextSegment, StartPass, Trial, AwaitEncoder, Measured, PassEnded, Done, Finished };

    void advance();
    void prepare();
    void nextSegment();
    void startPass();
    void trial();
    void measured();
    void passEnded();
    void endPass(int result);
    void endSegment(int q);
    void log(std::string line);

    Project &m_project;
    AppSettings m_options;
    Desktop &m_desktop;
    std::string m_folder;
    bool m_abort = false;
    Phase m_phase = Phase::Prepare;
    std::deque<PredictionStep> m_steps;
    std::vector<SegmentPrediction> m_results;
    int m_eligibleCount = 0;
    int m_ordinal = 0;
    bool m_succeeded = false;

    // The segment being predicted.
    int m_segment = -1;
    int m_passNumber = 0; // 1, or 2 for the verification of a double pass
    int m_rangeOffset = 0;
    int m_firstPassQ = 0;
    SampleFiles m_files;

    // The pass being run.
    int m_q0 = 0;
    int m_sampled = 0;    // N
    int m_desiredKb = 0;
    int m_qt = 0;
    double m_prevErr = 100.0;
    double m_err = 0.0;
    int m_trialCounter = 1;
    int m_result = 0;
    std::set<int> m_tested; // Q factors encoded in this pass, the one before the last among them
    std::vector<std::string> m_listLines;
    Desktop::EncoderResult m_encoderResult = Desktop::EncoderResult::Finished;
    int m_sizeKb = 0;
};
