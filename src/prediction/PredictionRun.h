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
//
// Lanes. With "Parallel encoders" above 1 the run searches up to that many segments at once,
// one per lane, each with its own sample files (they are named after the segment) and its own
// encoder. A RunEncoder step names its lane, and encoderEnded() is told which lane's encoder
// ended; the encoders may end in any order. Segments start in their order, and each one's
// search is the same as in a run of one lane, so the Q factors do not depend on the number of
// lanes. So that the log reads as one block per segment, a segment's lines are held back and
// handed out together when it ends, in the order the segments end. With one lane every line is
// handed out at once, in the order of the search. After an abort no segment and no trial starts;
// the trials running then end by themselves and their segments are not calculated.

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
    int lane = 0;           // RunEncoder: the lane to name when its encoder has ended
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
    // path, parallel encoders) are taken from `settings` as they are now.
    PredictionRun(Project &project, const AppSettings &settings, Desktop &desktop);

    PredictionStep next();
    // How the encoder run of `lane` went, and the size of its output in KB (0 when there is
    // none). Ignored when that lane has no encoder run outstanding.
    void encoderEnded(int lane, Desktop::EncoderResult result, int sizeKb);
    // The same for the first lane waiting for its encoder: the one lane of a run of one.
    void encoderEnded(Desktop::EncoderResult result, int sizeKb);
    void requestAbort() { m_abort = true; }
    bool abortRequested() const { return m_abort; }
    int lanes() const { return int(m_lanes.size()); }
    bool waitingForEncoder() const { return waitingLane() >= 0; }
    bool waitingForEncoder(int lane) const;
    // The first lane whose encoder runs; -1 for none.
    int waitingLane() const;
    bool finished() const { return m_phase == Phase::Finished; }

    // Segments the run looks at: OPV, with cells of more than 10 frames, replanned.
    static bool isEligible(const Segment &segment);
    int eligibleCount() const { return m_eligibleCount; }

    // For the progress line: the segments being searched, in the order they started; when none
    // is (between two segments), the one that ended last. Empty before the first segment.
    struct Active {
        int segment = 0;    // index in the project
        int ordinal = 0;    // 1-based position among the eligible segments
        int trials = 0;     // measured so far, over both passes
        bool encoding = false;
        bool ended = false; // the last one, shown between two segments
    };
    std::vector<Active> activeSegments() const;
    int segmentsDone() const { return m_segmentsDone; }
    int trialsOfDoneSegments() const { return m_trialsOfDoneSegments; }
    const std::vector<SegmentPrediction> &results() const { return m_results; }

private:
    // One segment's search, from its first line to its Q factor.
    struct Lane {
        enum class Phase { Idle, StartPass, Trial, AwaitEncoder, Measured, PassEnded };
        Phase phase = Phase::Idle;
        std::size_t record = 0; // in m_results
        int segment = -1;
        int ordinal = 0;
        int passNumber = 0; // 1, or 2 for the verification of a double pass
        int rangeOffset = 0;
        int firstPassQ = 0;
        SampleFiles files;

        // The pass being run.
        int q0 = 0;
        int sampled = 0; // N
        int desiredKb = 0;
        int qt = 0;
        double prevErr = 100.0;
        double err = 0.0;
        int trialCounter = 1;
        int result = 0;
        std::set<int> tested; // Q factors encoded in this pass, the one before the last among them
        std::vector<std::string> listLines;
        Desktop::EncoderResult encoderResult = Desktop::EncoderResult::Finished;
        int sizeKb = 0;
        std::vector<std::string> held; // the segment's log lines, with several lanes
    };
    enum class Phase { Prepare, Running, Done, Finished };

    void advance();
    void prepare();
    // One piece of work of some lane, or a new segment for an idle one. False when every
    // busy lane waits for its encoder.
    bool work();
    bool startNextSegment(Lane &lane);
    void startPass(Lane &lane);
    void trial(Lane &lane);
    void measured(Lane &lane);
    void passEnded(Lane &lane);
    void endPass(Lane &lane, int result);
    void endSegment(Lane &lane, int q);
    void log(Lane &lane, std::string line);
    void emitLog(std::string line);
    int trialsOf(const Lane &lane) const;

    Project &m_project;
    AppSettings m_options;
    Desktop &m_desktop;
    std::string m_folder;
    bool m_abort = false;
    Phase m_phase = Phase::Prepare;
    std::deque<PredictionStep> m_steps;
    std::vector<SegmentPrediction> m_results;
    std::vector<Lane> m_lanes;
    int m_candidate = 0; // the first segment index not started yet
    int m_eligibleCount = 0;
    int m_started = 0;
    int m_segmentsDone = 0;
    int m_trialsOfDoneSegments = 0;
    Active m_lastEnded; // ordinal 0 until a segment has ended
    bool m_succeeded = false;
};
