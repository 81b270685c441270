#include "planning/Planning.h"
#include "support/ProjectBuilder.h"

#include <gtest/gtest.h>

#include <vector>

TEST(SegmentPlanning, SetAverageBitrateAndReductionResetNearTheLoadedValueAndScaleBeyond)
{
    // Loaded average (4000*1000 + 6000*1000 + 5000*10) / 2010 = 5000; loaded reduction 30 %.
    // The 10-frame cell is not significant: only a reset touches it. Scaling starts from the
    // loaded bitrates, never from the hand-planned ones below.
    const Segment loaded =
        ProjectBuilder().segment().cell(1000, 4000, 30.0f).cell(1000, 6000, 30.0f).cell(10, 5000, 30.0f).buildSegment();
    struct Case {
        bool byReduction;
        double value;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {false, 5001, {4000, 6000, 5000}},   // 1 kbit/s away: loaded bitrates
        {false, 4999, {4000, 6000, 5000}},
        {false, 5002, {4001, 6002, 4100}},   // factor 1.0004, truncated
        {false, 4998, {3998, 5997, 4100}},   // factor 0.9996, truncated
        {false, 100, {500, 500, 4100}},      // 80 and 120: the floor
        {false, 20000, {13333, 20000, 4100}}, // 120 %: capped at loaded * 100/30
        {true, 30.019, {4000, 6000, 5000}},  // under 0.02 away: loaded bitrates
        {true, 29.981, {4000, 6000, 5000}},
        {true, 30.021, {4002, 6004, 4100}},  // 4002.8 and 6004.2 truncated
        {true, 15.0, {2000, 3000, 4100}},
    };
    for (const Case &c : cases) {
        Segment s = loaded;
        s.cells[0].bitrate = 4500;
        s.cells[0].tweaked = s.cells[2].tweaked = s.tweaked = true;
        s.cells[2].bitrate = 4100;

        if (c.byReduction)
            s.setReductionPercent(c.value);
        else
            s.setAverageBitrate(int(c.value));

        EXPECT_EQ(bitrates(s), c.expected) << c.value;
        EXPECT_FALSE(s.cells[0].tweaked || s.tweaked) << c.value;
        EXPECT_EQ(s.cells[2].tweaked, s.cells[2].bitrate == 4100) << c.value; // cleared by a reset only
        EXPECT_TRUE(s.replanned) << c.value;
    }
}

TEST(SegmentPlanning, TweakCellCompensatesWithTheFreeCells)
{
    // Cell 3 is too short to plan. Free cells 1 and 2 hold 6,000,000 and can give up
    // (4000-500)*1000 + (2000-500)*1000 = 5,000,000 down to their floors.
    const Segment loaded = ProjectBuilder()
                               .segment().cell(1000, 4000, 30.0f).cell(1000, 4000).cell(1000, 2000).cell(10, 3000)
                               .buildSegment();
    struct Case {
        const char *why;
        bool cell1Tweaked;
        bool freeCellsRaised; // cells 1 and 2 at 1.25 times their loaded bitrates
        int bitrate;
        std::int64_t slack;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"below the floor: ignored", false, false, 400, 0, {4000, 4000, 2000, 3000}},
        // need -3,400,000: factor 9.4/6; rounded to nearest
        {"the free cells rise", false, false, 600, 0, {600, 6267, 3133, 3000}},
        // need 5,000,000, all they can give: factor 1/6 (333 goes to the floor)
        {"exactly what they can pay", false, false, 9000, 0, {9000, 667, 500, 3000}},
        // need 5,001,000: floors for all; the cell gets 4000 + 5,000,000/1000
        {"more than they can pay", false, false, 9001, 0, {9000, 500, 500, 3000}},
        // only 1,000,000 left to give: 4000 + 1000
        {"the project is over its target", false, false, 6000, -4000000, {5000, 500, 500, 3000}},
        // only cell 2 is free: factor 3/2
        {"a tweaked cell is not free", true, false, 3000, 0, {3000, 4000, 3000, 3000}},
        // 7,500,000 now of 6,000,000 loaded, need 750,000: 0.9 * 1.25 of the loaded bitrates
        {"scaled free cells keep their scale", false, true, 4750, 0, {4750, 4500, 2250, 3000}},
    };
    for (const Case &c : cases) {
        Segment s = loaded;
        s.cells[1].tweaked = c.cell1Tweaked;
        if (c.freeCellsRaised) {
            s.cells[1].bitrate = 5000;
            s.cells[2].bitrate = 2500;
        }
        s.tweakCell(0, c.bitrate, c.slack);
        EXPECT_EQ(bitrates(s), c.expected) << c.why;
        EXPECT_EQ(s.cells[0].tweaked && s.tweaked, c.bitrate != 400) << c.why;
        EXPECT_FALSE(s.replanned) << c.why;
    }

    // The floor is the source's own bitrate when that is lower: 400 on a 300 kbit/s cell is
    // taken, and a 300 kbit/s free cell has nothing to give (scaling, not floors: 5400, 783).
    Segment low = ProjectBuilder().segment().cell(1000, 300).cell(1000, 4000).buildSegment();
    low.tweakCell(0, 400, 0);
    EXPECT_EQ(bitrates(low), (std::vector<int>{400, 3900}));
    Segment lowFree = ProjectBuilder().segment().cell(1000, 4000).cell(1000, 300).cell(1000, 2000).buildSegment();
    lowFree.tweakCell(0, 5400, 0);
    EXPECT_EQ(bitrates(lowFree), (std::vector<int>{5400, 300, 783}));
}

TEST(SegmentPlanning, MinAndMaxReductions)
{
    // Min: (1000*500 + 1000*400 + 10*3000)*100 over a source of 8,000,000 + 1,000,000 + 300,000:
    // the 400 kbit/s cell and the short one keep their bitrates.
    EXPECT_DOUBLE_EQ(
        ProjectBuilder().segment().cell(1000, 4000).cell(1000, 400, 40.0f).cell(10, 3000, 10.0f).buildSegment().minReductionPercent(),
        10.0);

    // Max: size 8,430,000. For cell 0, the short cell's 30,000 is fixed and the free cells
    // need 500,000 + 400,000 at their floors: 7,500,000 left = 1.875 of its source.
    auto build = [](float firstReduction, bool secondTweaked) {
        Segment s = ProjectBuilder()
                        .segment().cell(1000, 4000, firstReduction).cell(1000, 4000).cell(1000, 400).cell(10, 3000)
                        .buildSegment();
        s.cells[1].tweaked = secondTweaked;
        return s;
    };
    EXPECT_DOUBLE_EQ(build(50.0f, false).maxCellReduction(0), 93.75);
    EXPECT_DOUBLE_EQ(build(60.0f, false).maxCellReduction(0), 100.0); // 112.5, capped
    EXPECT_DOUBLE_EQ(build(50.0f, true).maxCellReduction(0), 50.0);   // the tweaked cell keeps its 4,000,000
    EXPECT_DOUBLE_EQ(build(50.0f, false).maxCellReduction(3), 100.0);
}
