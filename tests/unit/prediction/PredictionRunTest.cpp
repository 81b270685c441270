#include "PredictionFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(PredictionRun, WorkedExampleOfTheSizesOfAPass)
{
    // 50000 frames at 25 fps, all at 5000 kbit/s: 610351 sectors.
    struct Case {
        double margin;
        int gop;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {0.0, 12, {"--- Initial Q: 22", "--- Frames: 50000, target size: 1241948 KB", "--- Desired sample size: 12518 KB"}},
        // runs of 15 frames sample 510 of them
        {5.0, 15, {"--- Initial Q: 24", "--- Frames: 50000, target size: 1173932 KB", "--- Desired sample size: 11974 KB"}},
    };
    for (const Case &c : cases) {
        PredictionProject p({5000}, 50000, c.gop);
        ASSERT_EQ(p.project.segment(0).sizeSectors(), 610351);
        p.settings.safetyMargin = c.margin;
        PredictionRun run(p.project, p.settings, p.desktop);
        const SearchTrace trace = runScripted(run, {0.5});
        ASSERT_GE(trace.log.size(), 4u);
        EXPECT_EQ(std::vector<std::string>(trace.log.begin() + 1, trace.log.begin() + 4), c.lines);
    }
}

TEST(PredictionRun, TrialSequences)
{
    struct Case {
        const char *why;
        int bitrate;                 // of the one segment: 5000 starts at Q 22, 5700 at 20, 200000 at 1
        bool doublePass;
        std::deque<double> errors;   // each trial's sample against the desired size, percent
        std::vector<int> tested;
        int q;                       // written into the segment; 0: not calculated
        std::vector<std::string> lines; // log lines that must appear, in this order
    };
    const Case cases[] = {
        {"the error grows: the trial before it stands", 5000, false, {5.0, -8.0}, {22, 23}, 23, {}},
        {"far too large at once: one Q up", 5000, false, {150.0}, {22}, 23, {"--- Overshot, incrementing Q"}},
        {"under 1 % too large: one Q up", 5000, false, {0.7}, {22}, 23,
         {"--- Obtained sample size: 12606 KB (0.7% error)", "--- Overshot, incrementing Q", "*** Using Q factor 23"}},
        {"under 1 % too small: kept", 5000, false, {-0.7}, {22}, 22, {"*** Using Q factor 22"}},
        {"no change in Q", 5000, false, {2.0}, {22}, 23,
         {"--- No change in Q for next iteration", "--- Overshot, incrementing Q"}},
        {"back to the Q before: stop", 5000, false, {-3.0, 3.5}, {22, 21}, 22, {}},
        {"a circle of three Q factors ends", 5000, false, {3.5, -3.5, 3.5}, {22, 23, 21}, 22, {}},
        {"Q 1 still too small: not calculated", 200000, false, {-5.0}, {1}, 0,
         {"--- Initial Q: 1", "*** Using Q factor 0", "=== Q Factor not calculated"}},
        {"Q below 1 from 2 becomes 1", 46000, false, {-40.0, 0.5}, {2, 1}, 2, {"--- Initial Q: 2"}},
        {"double pass 20 and 23: warned, 21", 5700, true, {-0.5, 12.0, -0.5}, {20, 20, 23}, 21,
         {"--- First pass: found Q factor 20", "=== Verifying prediction on VTS 1 - VobID 2",
          "--- Second pass: found Q factor 23", "*** Warning. sample size is too small for accurate prediction.",
          "*** Using Q factor 21"}},
        {"double pass 20 and 22: 21", 5700, true, {-0.5, 8.0, -0.5}, {20, 20, 22}, 21,
         {"--- Second pass: found Q factor 22", "*** Using Q factor 21"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        PredictionProject p({c.bitrate});
        p.settings.doublePass = c.doublePass;
        p.project.segment(0).settings.opvQFactor = 30;
        PredictionRun run(p.project, p.settings, p.desktop);
        const SearchTrace trace = runScripted(run, c.errors);
        EXPECT_TRUE(trace.succeeded);
        EXPECT_EQ(trace.tested, c.tested);
        EXPECT_EQ(p.project.segment(0).settings.opvQFactor, c.q == 0 ? 30 : c.q);
        EXPECT_EQ(run.results().at(0).qFactor, c.q);
        EXPECT_EQ(p.project.segment(0).settings.videoType, 4); // the OPV code of CCE 2.70
        std::size_t at = 0;
        for (const std::string &line : c.lines) {
            const auto found = std::find(trace.log.begin() + std::ptrdiff_t(at), trace.log.end(), line);
            EXPECT_NE(found, trace.log.end()) << "missing or out of order: " << line;
            at = found == trace.log.end() ? at : std::size_t(found - trace.log.begin());
        }
        EXPECT_EQ(linesStarting(trace.log, "*** Warning").size(), linesStarting(c.lines, "*** Warning").size());
    }
}

TEST(PredictionRun, AbortTakesEffectAfterTheRunningTrialAndEndsTheRun)
{
    PredictionProject p({5000, 5000});
    PredictionRun run(p.project, p.settings, p.desktop);
    const SearchTrace trace = runScripted(run, {20.0}, [&](int) { run.requestAbort(); });
    EXPECT_FALSE(trace.succeeded);
    EXPECT_EQ(trace.tested, std::vector<int>{22}); // the trial ran to its end
    ASSERT_GE(trace.log.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(trace.log.end() - 2, trace.log.end()),
              (std::vector<std::string>{"=== Prediction aborted", "=== Q Factor not calculated"}));
    EXPECT_EQ(linesStarting(trace.log, "=== Running prediction").size(), 1u); // the second never started
    EXPECT_EQ(p.project.segment(0).settings.opvQFactor, 0);
}

TEST(PredictionRun, OnlyReplannedOpvSegmentsWithCellsOfMoreThanTenFrames)
{
    PredictionProject p({5000, 5000, 5000, 5000});
    p.project.segment(0).vbrMode = true;
    p.project.segment(1).replanned = false;
    p.project.segment(2).significantCells = 0;
    PredictionRun run(p.project, p.settings, p.desktop);
    const SearchTrace trace = runScripted(run, {0.5});
    EXPECT_EQ(run.eligibleCount(), 1);
    EXPECT_EQ(linesStarting(trace.log, "=== Running prediction"),
              std::vector<std::string>{"=== Running prediction on VTS 1 - VobID 5"});
    EXPECT_EQ(run.results().at(0).segmentIndex, 3);
}

TEST(PredictionRun, PassesThatCannotRunLeaveTheSegmentNotCalculated)
{
    struct Case {
        const char *why;
        int bitrate;
        int gop;
        Desktop::EncoderResult encoder;
        int sizeKb;
        std::string line;    // the log line that says why, or empty
        std::string message; // shown to the user, or empty
    };
    const Case cases[] = {
        {"no GOP length", 5000, 0, Desktop::EncoderResult::Finished, 100,
         "*** Cannot predict: GOPs of 0 frames cannot be sampled", ""},
        // the first guess passes 20030 and the size the sample should have is negative
        {"a plan of almost nothing", 1, 12, Desktop::EncoderResult::Finished, 100,
         "*** Cannot predict: the sample's desired size is below 1 KB", ""},
        {"the encoder does not start", 5000, 12, Desktop::EncoderResult::CouldNotStart, 0, "",
         "Could not create CCE process"},
        {"its end cannot be told", 5000, 12, Desktop::EncoderResult::CouldNotGetExitCode, 0, "",
         "Could not get CCE process exit code"},
        {"an output under 1 KB", 5000, 12, Desktop::EncoderResult::Finished, 0, "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        PredictionProject p({c.bitrate}, 50000, c.gop);
        PredictionRun run(p.project, p.settings, p.desktop);
        std::vector<std::string> log;
        for (PredictionStep step = run.next(); step.kind != PredictionStep::Kind::Finished; step = run.next()) {
            if (step.kind == PredictionStep::Kind::Log)
                log.push_back(step.line);
            else if (step.kind == PredictionStep::Kind::RunEncoder)
                run.encoderEnded(c.encoder, c.sizeKb);
            else
                FAIL() << "the run waits for nothing";
        }
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log.back(), "=== Q Factor not calculated");
        if (!c.line.empty()) {
            EXPECT_NE(std::find(log.begin(), log.end(), c.line), log.end()) << c.line;
        }
        EXPECT_EQ(p.desktop.lastMessage(), c.message);
    }
}

namespace {

// A run driven to its end by an encoder whose sample sizes follow a fixed model of Q, the
// sampled frames and the segment's content (harder for some Vob-IDs). The encoder runs handed
// out are answered newest first or oldest first, so that lanes end out of order.
struct LaneTrace {
    std::vector<std::string> log;
    int mostAtOnce = 0;
    bool sharedFiles = false; // two encoders at once on one list or output
    bool succeeded = false;
};

LaneTrace runModelled(PredictionRun &run, bool newestFirst, int abortWhenRunning = 0)
{
    LaneTrace trace;
    std::vector<PredictionStep> running;
    for (;;) {
        const PredictionStep step = run.next();
        if (step.kind == PredictionStep::Kind::Log) {
            trace.log.push_back(step.line);
        } else if (step.kind == PredictionStep::Kind::RunEncoder) {
            for (const PredictionStep &other : running)
                trace.sharedFiles = trace.sharedFiles || other.encoder.arguments[1] == step.encoder.arguments[1]
                                    || other.encoder.outputPath == step.encoder.outputPath;
            running.push_back(step);
            trace.mostAtOnce = std::max(trace.mostAtOnce, int(running.size()));
        } else if (step.kind == PredictionStep::Kind::None && !running.empty()) {
            if (abortWhenRunning > 0 && int(running.size()) == abortWhenRunning)
                run.requestAbort();
            const auto answered = newestFirst ? running.end() - 1 : running.begin();
            const EncoderCommand &c = answered->encoder;
            const int vobId = std::stoi(c.outputPath.substr(c.outputPath.find("VobID_") + 6, 4));
            const double complexity = 0.6 + 0.2 * (vobId % 4);
            const double bytes = c.sampledFrames * 25000.0 * complexity * std::pow(22.0 / c.qFactor, 0.8);
            run.encoderEnded(answered->lane, Desktop::EncoderResult::Finished, int(bytes / 1024));
            running.erase(answered);
        } else {
            EXPECT_EQ(step.kind, PredictionStep::Kind::Finished);
            trace.succeeded = step.succeeded;
            return trace;
        }
    }
}

// The log cut into the blocks of its segments, each from its "=== Running prediction" line.
std::vector<std::vector<std::string>> segmentBlocks(const std::vector<std::string> &log)
{
    std::vector<std::vector<std::string>> blocks;
    for (const std::string &line : log) {
        if (blocks.empty() || line.rfind("=== Running prediction", 0) == 0)
            blocks.emplace_back();
        blocks.back().push_back(line);
    }
    return blocks;
}

} // namespace

TEST(PredictionRun, ParallelLanesFindTheSameQFactorsAndKeepEachSegmentsLinesTogether)
{
    const std::vector<int> bitrates = {5000, 3000, 7000, 4200, 6100, 2500, 5600};
    struct Case {
        int lanes;
        bool doublePass;
        bool newestFirst;
    };
    const Case cases[] = {
        {2, false, false}, {2, true, true}, {3, false, true}, {3, true, false}, {16, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(cformat("%d lanes, %s pass, %s first", c.lanes, c.doublePass ? "double" : "single",
                             c.newestFirst ? "newest" : "oldest"));
        PredictionProject one(bitrates, 20000);
        one.settings.doublePass = c.doublePass;
        PredictionRun alone(one.project, one.settings, one.desktop);
        const LaneTrace reference = runModelled(alone, false);
        EXPECT_EQ(reference.mostAtOnce, 1);

        PredictionProject many(bitrates, 20000);
        many.settings.doublePass = c.doublePass;
        many.settings.parallelEncoders = c.lanes;
        PredictionRun run(many.project, many.settings, many.desktop);
        EXPECT_EQ(run.lanes(), c.lanes);
        const LaneTrace trace = runModelled(run, c.newestFirst);

        EXPECT_TRUE(trace.succeeded);
        EXPECT_EQ(trace.mostAtOnce, std::min(c.lanes, int(bitrates.size())));
        EXPECT_FALSE(trace.sharedFiles);
        for (int i = 0; i <= many.project.lastSegmentIndex(); ++i) {
            EXPECT_GT(one.project.segment(i).settings.opvQFactor, 0) << i;
            EXPECT_EQ(many.project.segment(i).settings.opvQFactor, one.project.segment(i).settings.opvQFactor) << i;
            EXPECT_EQ(run.results().at(std::size_t(i)).segmentIndex, i); // in segment order
        }
        // Every segment's block is the one a single lane writes, whole; only their order differs.
        std::vector<std::vector<std::string>> blocks = segmentBlocks(trace.log);
        std::vector<std::vector<std::string>> expected = segmentBlocks(reference.log);
        ASSERT_EQ(blocks.size(), bitrates.size());
        std::sort(blocks.begin(), blocks.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(blocks, expected);
    }
}

TEST(PredictionRun, AnAbortWithSeveralLanesStartsNothingMoreAndLetsTheRunningTrialsEnd)
{
    PredictionProject p({5000, 3000, 7000, 4200, 6100}, 20000);
    p.settings.parallelEncoders = 3;
    PredictionRun run(p.project, p.settings, p.desktop);
    // Aborted while three encoders run: they end, and nothing starts after them.
    const LaneTrace trace = runModelled(run, false, 3);
    EXPECT_FALSE(trace.succeeded);
    const std::vector<std::vector<std::string>> blocks = segmentBlocks(trace.log);
    ASSERT_EQ(blocks.size(), 3u);
    for (const std::vector<std::string> &block : blocks) {
        ASSERT_GE(block.size(), 2u);
        EXPECT_EQ(std::vector<std::string>(block.end() - 2, block.end()),
                  (std::vector<std::string>{"=== Prediction aborted", "=== Q Factor not calculated"}));
        EXPECT_EQ(linesStarting(block, "--- Testinq Q factor").size(), 1u);
    }
    EXPECT_EQ(run.results().size(), 3u);
}
