#include "planning/Planning.h"
#include "support/ProjectBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(SliderMapping, PositionsAndRanges)
{
    const planning::SliderRange range{10.0, 100.0}; // one step is 90/10000
    // 10.00899 is 0.999 of a step: truncated, not rounded; outside the range the thumb stays at its end.
    for (const auto &[reduction, position] : {std::pair{10.0, 0}, {100.0, 10000}, {55.0, 5000}, {10.00899, 0},
                                              {10.0185, 2}, {5.0, 0}, {120.0, 10000}})
        EXPECT_EQ(range.position(reduction), position) << reduction;
    EXPECT_DOUBLE_EQ(range.reduction(1), 10.009);
    EXPECT_DOUBLE_EQ(range.reduction(10000), 100.0);
    // A cell with no room to move has an empty range.
    EXPECT_EQ((planning::SliderRange{50.0, 50.0}).position(50.0), 0);

    // Min reduction (1000*500 + 1000*400)*100 / (10,000,000 + 800,000) = 8.33: the main
    // window starts at 8. Cell 0 keeps 40 * 500/4000 = 5 % at the floor; with cell 1 at its
    // 400 it can take 4,000,000, all of its source: 40 %.
    const Segment s = ProjectBuilder().segment().cell(1000, 4000, 40.0f).cell(1000, 400, 50.0f).buildSegment();
    EXPECT_DOUBLE_EQ(planning::segmentSliderRange(s).sliderMin, 8.0);
    EXPECT_DOUBLE_EQ(planning::cellSliderRange(s, 0).sliderMin, 5.0);
    EXPECT_DOUBLE_EQ(planning::cellSliderRange(s, 0).sliderMax, 40.0);
}

TEST(PlanningFigures, SizePercentagesAsTheWindowsShowThem)
{
    Project p;
    p.initialTotalSize = 1000000;
    p.targetTotalSize = 100000000;
    p.segments.push_back(ProjectBuilder().segment().cell(1000, 1000).cell(9, 100).buildSegment()); // 1,000,900
    EXPECT_EQ(planning::totalVideoSizePercent(p), 100.09f); // 32-bit float
    EXPECT_DOUBLE_EQ(planning::outputSizePercent(p), 10000.0);

    // "Vob-ID Video size %": 0.005 % is shown as 0, 0.02 % as itself.
    for (const auto &[frames, shown] : {std::pair{10, 0.0f}, {40, 0.02f}, {200000, 100.0f}}) {
        const Segment s = ProjectBuilder().segment().cell(frames, 500).buildSegment();
        EXPECT_EQ(planning::videoSizePercent(p, s), shown) << frames;
    }
}

TEST(PlanningFigures, EstimatedAndProjectedDiscSize)
{
    // 163,840 frames at 8000 kbit/s and 25 fps: 3,200,000 sectors, plus 50,000 of overhead;
    // 2 * 3,250,000 * 0.0009892578125 = 6430.18 MB.
    Project p = ProjectBuilder().segment().cell(163840, 8000, 50.0f, 25.0).overhead(50000).build();
    EXPECT_EQ(planning::estimatedSectors(p), 3250000);
    EXPECT_EQ(planning::estimatedMegabytes(p), 6430);

    struct Case {
        std::int64_t initialThirds, targetThirds;
        double percent;
        std::int64_t sectors, megabytes;
    };
    const Case cases[] = {
        {3, 3, 100.0, 3250000, 6430},
        {9, 6, 100.0, 4850000, 9595}, // back to the loaded size: 1.5 * 3,200,000; 9595.8 truncated
        {6, 3, 50.0, 3250000, 6430},
    };
    const std::int64_t third = p.currentTotalSize() / 3;
    for (const Case &c : cases) {
        p.initialTotalSize = c.initialThirds * third;
        p.targetTotalSize = c.targetThirds * third;
        EXPECT_EQ(planning::projectedSectors(p, c.percent), c.sectors) << c.initialThirds << "/" << c.targetThirds;
        EXPECT_EQ(planning::projectedMegabytes(p, c.percent), c.megabytes) << c.initialThirds << "/" << c.targetThirds;
    }
}

// Projects no load produces, but which the rules must survive: no division by zero and no
// NaN or infinity turned into a bitrate; figures of 0 and cells left alone.
TEST(PlanningDegenerate, NothingDividesByZero)
{
    Project noTarget = ProjectBuilder().segment().cell(1000, 4000).build();
    noTarget.targetTotalSize = noTarget.initialTotalSize = 0;
    struct Case {
        const char *why;
        Project project;
        bool cellsStay; // through setAverageBitrate and setReductionPercent
    };
    Case cases[] = {
        {"empty project", Project(), true},
        {"all loaded bitrates 0", ProjectBuilder().segment().cell(1000, 0).cell(1000, 0).build(), true},
        {"target 0", noTarget, false},
        {"no frames", ProjectBuilder().segment().cell(0, 4000).cell(0, 5000).build(), true},
        {"no loaded reductions", ProjectBuilder().segment().cell(1000, 4000, 0.0f).build(), false},
    };
    for (Case &c : cases) {
        Project &p = c.project;
        const Project before = p;
        p.autosize(false);
        p.distributeOnce(false);
        EXPECT_EQ(bitrates(p), bitrates(before)) << c.why;
        if (p.initialTotalSize == 0) {
            EXPECT_EQ(planning::totalVideoSizePercent(p), 0.0f) << c.why;
            EXPECT_EQ(planning::outputSizePercent(p), 0.0) << c.why;
        }
        if (p.targetTotalSize == 0) {
            EXPECT_EQ(planning::projectedSectors(p, 100.0), 0) << c.why;
            EXPECT_EQ(planning::projectedMegabytes(p, 100.0), 0) << c.why;
        }
        if (p.segments.empty())
            continue;

        Segment &s = p.segment(0);
        if (p.targetTotalSize == 0) {
            EXPECT_EQ(planning::videoSizePercent(p, s), 0.0f) << c.why;
        }
        EXPECT_TRUE(std::isfinite(s.minReductionPercent())) << c.why;
        EXPECT_TRUE(std::isfinite(s.maxCellReduction(0))) << c.why;
        EXPECT_GE(planning::cellSliderRange(s, 0).position(50.0), 0) << c.why;
        s.setAverageBitrate(4321);
        s.setReductionPercent(42.0);
        if (c.cellsStay) {
            EXPECT_EQ(bitrates(p), bitrates(before)) << c.why;
        }
        s.tweakCell(0, 6000, 0);
        for (const Cell &cell : s.cells)
            EXPECT_TRUE(cell.bitrate >= 0 && cell.bitrate <= 6000) << c.why;
    }
}
