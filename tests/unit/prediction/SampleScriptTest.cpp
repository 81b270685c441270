#include "PredictionFixture.h"

#include "prediction/SampleScript.h"

#include "common/TextFile.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// The lines the sample script adds after the copied source script.
std::vector<std::string> appendedLines(const std::string &path)
{
    std::vector<std::string> lines;
    bool appended = false;
    LineReader in(path);
    for (std::string line; in.next(line);) {
        appended = appended || line.rfind("# Frames: ", 0) == 0;
        if (appended)
            lines.push_back(line);
    }
    return lines;
}

} // namespace

TEST(SampleScript, WorkedExampleFirstAndVerificationPass)
{
    // 50000 frames, GOPs of 12, one GOP a run, 1 % sampled; the first segment of its title set.
    PredictionProject p({5000});
    const std::string sample = p.folder.file("sample.avs");
    const SampleOptions options{1.0, 1};
    int rangeOffset = 0;
    std::string problem;

    const auto first = writeSampleScript(p.project, 0, options, sample, rangeOffset, p.desktop, problem);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->trim, 49);
    EXPECT_EQ(first->available, 49902);
    EXPECT_EQ(first->rangeLength, 12);
    EXPECT_EQ(first->period, 1197);
    EXPECT_EQ(first->sampled, 504);
    EXPECT_EQ(rangeOffset, 598); // half a period: where the verification pass starts
    EXPECT_EQ(appendedLines(sample),
              (std::vector<std::string>{"# Frames: 50000", "Trim(49, 49950)", "# Frames after trim: 49902",
                                        "SelectRangeEvery(1197, 12)", "# Frames sampled: 504"}));

    const auto second = writeSampleScript(p.project, 0, options, sample, rangeOffset, p.desktop, problem);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->available, 49304);
    EXPECT_EQ(second->period, 1183);
    EXPECT_EQ(second->sampled, 504);
    EXPECT_EQ(appendedLines(sample)[1], "Trim(647, 49950)");
    EXPECT_TRUE(p.desktop.messages.empty());
}

TEST(SampleScript, PlansOfShortSegmentsLongRunsAndLateOffsets)
{
    struct Case {
        const char *why;
        long long frames;
        int gop;
        double sampleSize;
        int gopsPerRange;
        int offsetIn;
        SamplePlan plan; // trim, available, rangeLength, period, sampled
        int offsetOut; // as pulled back; the half period for the next pass comes with the script
    };
    const Case cases[] = {
        {"nothing to trim from 500 frames", 500, 15, 1.0, 1, 0, {0, 500, 15, 1500, 15, 0}, 0},
        {"10 % in runs of 4 GOPs", 50000, 15, 10.0, 4, 0, {45, 49910, 60, 598, 5040, 0}, 0},
        {"fewer frames than a run: all of them", 100, 15, 1.0, 9, 0, {0, 100, 135, 13500, 100, 0}, 0},
        {"an offset beyond the last run is pulled back", 600, 15, 1.0, 1, 590, {0, 15, 15, 37, 15, 0}, 585},
        {"an offset in a segment shorter than a run is dropped", 10, 15, 1.0, 1, 5, {0, 10, 15, 1500, 10, 0}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        int offset = c.offsetIn;
        std::string problem;
        const auto plan = planSample(c.frames, c.gop, {c.sampleSize, c.gopsPerRange}, 0, offset, problem);
        ASSERT_TRUE(plan) << problem;
        EXPECT_EQ(plan->trim, c.plan.trim);
        EXPECT_EQ(plan->available, c.plan.available);
        EXPECT_EQ(plan->rangeLength, c.plan.rangeLength);
        EXPECT_EQ(plan->period, c.plan.period);
        EXPECT_EQ(plan->sampled, c.plan.sampled);
        EXPECT_EQ(offset, c.offsetOut);
    }
}

TEST(SampleScript, NumbersThatGiveNoSampleFailWithAReasonInsteadOfDividingByZero)
{
    struct Case {
        int gop;
        double sampleSize;
        const char *problem;
    };
    const Case cases[] = {
        {0, 1.0, "*** Cannot predict: GOPs of 0 frames cannot be sampled"}, // no "gop_hdr=" in the list
        {-12, 1.0, "*** Cannot predict: GOPs of -12 frames cannot be sampled"},
        {12, 0.0, "*** Cannot predict: a sample size of 0% gives no sampling period"}, // from Tavro.ini
        {12, 250.0, "*** Cannot predict: a sample size of 250% gives no sampling period"},
    };
    for (const Case &c : cases) {
        int offset = 0;
        std::string problem;
        EXPECT_FALSE(planSample(50000, c.gop, {c.sampleSize, 1}, 0, offset, problem));
        EXPECT_EQ(problem, c.problem);
    }
}

TEST(SampleScript, CopiesTheSourceWithoutItsTrimLinesAndPlacesTheSegmentInItsTitleSet)
{
    // Two segments of 1000 and 2000 frames come first in the title set.
    PredictionProject p({4000, 4000, 5000}, 50000);
    p.project.segment(0).cells[0].frames = 1000;
    p.project.segment(1).cells[0].frames = 2000;
    const std::string longLine = "# " + std::string(5000, 'x');
    TempFolder::writeTo(p.project.segment(2).cells[0].name,
                        "Mpeg2Source(\"a.d2v\")\r\ntrim(1,2)\r\nTRIM(3,4)\r\n Trim(5,6)\r\nTrimmed()\r\n" + longLine +
                            "\r\nUndot()");
    const std::string sample = p.folder.file("sample.avs");
    int offset = 0;
    std::string problem;
    ASSERT_TRUE(writeSampleScript(p.project, 2, {1.0, 1}, sample, offset, p.desktop, problem));
    EXPECT_EQ(readBytes(sample), crlf({"Mpeg2Source(\"a.d2v\")", " Trim(5,6)", "Trimmed()", longLine, "Undot()",
                                      "# Frames: 50000", "Trim(3049, 52950)", "# Frames after trim: 49902",
                                      "SelectRangeEvery(1197, 12)", "# Frames sampled: 504"}));
}

TEST(SampleScript, FilesThatCannotBeOpenedAreReported)
{
    PredictionProject p({5000});
    int offset = 0;
    std::string problem;
    const std::string unwritable = p.folder.file("no such folder/sample.avs");
    EXPECT_FALSE(writeSampleScript(p.project, 0, {1.0, 1}, unwritable, offset, p.desktop, problem));
    EXPECT_EQ(p.desktop.lastMessage(), "Could not open '" + unwritable + "' for writing");

    const std::string source = p.project.segment(0).cells[0].name;
    std::remove(source.c_str());
    EXPECT_FALSE(writeSampleScript(p.project, 0, {1.0, 1}, p.folder.file("s.avs"), offset, p.desktop, problem));
    EXPECT_EQ(p.desktop.lastMessage(), "Could not open '" + source + "' for reading");
    EXPECT_EQ(offset, 0);
    EXPECT_TRUE(problem.empty());
}
