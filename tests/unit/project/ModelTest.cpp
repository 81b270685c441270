#include "project/Project.h"

#include <gtest/gtest.h>

namespace {

Cell cellWith(int loadedBitrate, float loadedReduction, int frames = 1000)
{
    Cell cell;
    cell.bitrate = cell.loadedBitrate = loadedBitrate;
    cell.loadedReduction = loadedReduction;
    cell.frames = frames;
    cell.fps = 25.0;
    cell.significant = frames > 10;
    return cell;
}

} // namespace

TEST(CellSetBitrate, KeepsTheFloorAndTheFullSizeCap)
{
    struct Case {
        int loadedBitrate;
        float loadedReduction;
        int asked;
        int expected;
        const char *why;
    };
    const Case cases[] = {
        {300, 50.0f, 200, 300, "a source below 500 keeps its own bitrate"},
        {4000, 50.0f, 200, 500, "never planned below 500"},
        {4000, 50.0f, 500, 500, "500 itself is allowed"},
        {4000, 50.0f, 501, 501, "above the floor is taken as asked"},
        {400, 50.0f, 450, 450, "between a low source and the floor: taken as asked"},
        {4000, 50.0f, 8000, 8000, "exactly 100 % is allowed"},
        {4000, 50.0f, 9000, 8000, "above 100 % is capped at the source size"},
        {3000, 70.0f, 5000, 4285, "the cap truncates 3000 x 100 / 70 = 4285.7"},
        {4000, 100.0f, 4001, 4000, "a cell at full size cannot grow"},
        // The ECL reader refuses bitrates above maxCellBitrate; planning never writes one.
        {9000, 0.0001f, 2'000'000'000, maxCellBitrate, "a source size beyond the reader's limit"},
        {9000, 0.0f, 2'000'000'000, maxCellBitrate, "no source size to cap at"},
    };
    for (const Case &c : cases) {
        Cell cell = cellWith(c.loadedBitrate, c.loadedReduction);
        cell.setBitrate(c.asked);
        EXPECT_EQ(cell.bitrate, c.expected) << c.why;
        EXPECT_LE(cell.reduction(), 100.0) << c.why;
    }
}

TEST(CellFigures, ReductionMinReductionAndSectors)
{
    Cell cell = cellWith(4000, 60.0f, 2500);
    cell.bitrate = 2000;
    EXPECT_DOUBLE_EQ(cell.reduction(), 30.0);
    EXPECT_DOUBLE_EQ(cell.minReduction(), 7.5); // 60 x 500 / 4000
    EXPECT_DOUBLE_EQ(cellWith(400, 60.0f).minReduction(), 60.0); // a low source cannot go lower
    // 2500 frames x 2000 kbit/s / (25 fps x 16.384) = 12207.03 sectors
    EXPECT_EQ(cell.sizeSectors(), 12207);
    // Widened before computing: 65.4f is 65.40000152587890625, not 65.4.
    Cell odd = cellWith(1000, 65.4f);
    EXPECT_DOUBLE_EQ(odd.reduction(), double(65.4f));
}

TEST(SegmentFigures, SumsAveragesAndReductions)
{
    Segment segment;
    segment.addCell(1, 1, 2, 1, 4000, 1000, 25.0).loadedReduction = 50.0f;
    segment.addCell(1, 1, 2, 2, 2000, 3000, 25.0).loadedReduction = 25.0f;
    EXPECT_EQ(segment.cellCount(), 2);
    EXPECT_EQ(segment.totalFrames, 4000);
    EXPECT_EQ(segment.size(), 10'000'000);
    EXPECT_EQ(segment.averageBitrate(), 2500);
    EXPECT_EQ(segment.loadedAverageBitrate(), 2500);
    // Source: 4000 x 1000 x 100 / 50 + 2000 x 3000 x 100 / 25 = 8e6 + 24e6; 10e6 of it is 31.25 %.
    EXPECT_DOUBLE_EQ(segment.reductionPercent(), 31.25);
    EXPECT_DOUBLE_EQ(segment.loadedReductionPercent(), 31.25);
    segment.cells[0].bitrate = 3000;
    EXPECT_EQ(segment.averageBitrate(), 2250);
    EXPECT_EQ(segment.loadedAverageBitrate(), 2500);
}

TEST(SegmentFigures, SizesOfLongProjectsDoNotOverflow)
{
    Segment segment;
    // Three hours at 9000 kbit/s and 30 fps: 324000 frames x 9000 = 2.9e9, past 32 bits.
    for (int i = 0; i < 3; ++i)
        segment.addCell(1, 1, 1, i + 1, 9000, 108000, 30.0).loadedReduction = 100.0f;
    EXPECT_EQ(segment.size(), 2'916'000'000LL);
    EXPECT_EQ(segment.averageBitrate(), 9000);
}

TEST(SegmentFigures, EmptyOrSilentSegmentsGiveZero)
{
    Segment empty;
    EXPECT_EQ(empty.averageBitrate(), 0);
    EXPECT_EQ(empty.loadedAverageBitrate(), 0);
    EXPECT_EQ(empty.reductionPercent(), 0.0);
    EXPECT_EQ(empty.durationText(), "00:00.00");
    Segment silent;
    silent.addCell(1, 1, 1, 1, 0, 0, 25.0);
    EXPECT_EQ(silent.averageBitrate(), 0);
    EXPECT_EQ(silent.cells[0].reduction(), 0.0);
}

TEST(SegmentFigures, DurationTextAddsEachCellAtItsOwnRate)
{
    struct Case {
        std::vector<std::pair<int, double>> cells; // frames, fps
        const char *text;
    };
    const Case cases[] = {
        {{{93137, 25.0}, {50, 100.0}}, "01:02.05"},  // 3725.48 + 0.5 s = 3725.98: truncated seconds
        {{{25 * 59, 25.0}}, "00:00.59"},
        {{{25 * 60, 25.0}}, "00:01.00"},
        {{{1500, 25.0}, {1500, 30.0}}, "00:01.50"}, // 60 s + 50 s
        {{{24 * 3600 * 30, 30.0}}, "24:00.00"},
    };
    for (const Case &c : cases) {
        Segment segment;
        for (auto [frames, fps] : c.cells)
            segment.addCell(1, 1, 1, 1, 1000, frames, fps);
        EXPECT_EQ(segment.durationText(), c.text);
    }
}

TEST(ProjectOperations, ResetBitratesRestoresEveryCellAndClearsTweaks)
{
    Project project;
    project.segments.resize(2);
    for (Segment &segment : project.segments) {
        segment.addCell(1, 1, 1, 1, 3000, 100, 25.0);
        segment.cells[0].bitrate = 1234;
        segment.cells[0].tweaked = true;
        segment.tweaked = true;
        segment.replanned = true;
        segment.autosized = false;
    }
    project.targetTotalSize = 42;
    project.resetBitrates();
    for (const Segment &segment : project.segments) {
        EXPECT_EQ(segment.cells[0].bitrate, 3000);
        EXPECT_FALSE(segment.cells[0].tweaked);
        EXPECT_FALSE(segment.tweaked);
        EXPECT_TRUE(segment.replanned);   // untouched
        EXPECT_FALSE(segment.autosized);  // untouched
    }
    EXPECT_EQ(project.targetTotalSize, 42);
    EXPECT_EQ(project.currentTotalSize(), 600000);
}

TEST(ProjectOperations, MergeMovesCellsAndCombinesFlags)
{
    struct Case {
        int targetProgressive, sourceProgressive, mergedProgressive;
        bool targetVbr, sourceVbr, mergedVbr;
        int mergedVideoType;
    };
    const Case cases[] = {
        {1, 0, -1, false, true, true, 16}, // an OPV target takes the VBR source's mode
        {1, 1, 1, true, false, true, 2},   // a VBR target keeps its own
        {0, 0, 0, false, false, false, 4},
    };
    for (const Case &c : cases) {
        Project project;
        project.segments.resize(3);
        Segment &target = project.segment(0);
        target.addCell(1, 1, 1, 1, 3000, 100, 25.0);
        target.significantCells = 1;
        target.vbrMode = c.targetVbr;
        target.settings.videoType = c.targetVbr ? 2 : 4;
        target.settings.progressive = c.targetProgressive;
        Segment &source = project.segment(1);
        source.addCell(1, 1, 2, 1, 2000, 50, 25.0);
        source.addCell(1, 1, 2, 2, 2000, 5, 25.0);
        source.significantCells = 1;
        source.tweaked = true;
        source.vbrMode = c.sourceVbr;
        source.settings.videoType = c.sourceVbr ? 16 : 0;
        source.settings.progressive = c.sourceProgressive;
        project.segment(2).addCell(2, 1, 1, 1, 1000, 10, 25.0);

        project.mergeSegments(0, 1);
        ASSERT_EQ(project.lastSegmentIndex(), 1);
        const Segment &merged = project.segment(0);
        ASSERT_EQ(merged.cellCount(), 3);
        EXPECT_EQ(merged.cells[1].vobId, 2);
        EXPECT_EQ(merged.cells[2].cellId, 2);
        EXPECT_EQ(merged.totalFrames, 155);
        EXPECT_EQ(merged.significantCells, 2);
        EXPECT_TRUE(merged.tweaked);
        EXPECT_EQ(merged.vbrMode, c.mergedVbr);
        EXPECT_EQ(merged.settings.videoType, c.mergedVideoType);
        EXPECT_EQ(merged.settings.progressive, c.mergedProgressive);
        EXPECT_EQ(project.segment(1).vts, 2); // the later segment moved down
    }
}

TEST(ProjectOperations, EclPathReplacesTheExtension)
{
    Project project;
    project.infPath = "/dvd/work/Rebuilder.inf";
    EXPECT_EQ(project.eclPath(), "/dvd/work/Rebuilder.ECL");
    project.infPath = "C:\\DVD\\REBUILDER.INF";
    EXPECT_EQ(project.eclPath(), "C:\\DVD\\REBUILDER.ECL");
}
