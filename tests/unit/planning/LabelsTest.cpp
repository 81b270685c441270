#include "planning/Labels.h"

#include "support/ProjectBuilder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// `count` segments; the first is in title set 7 and starts with Vob-ID 2.
Project segments(int count)
{
    ProjectBuilder builder;
    builder.segment(7).cell(100, 4000);
    for (int i = 1; i < count; ++i)
        builder.segment().cell(100, 4000);
    return builder.build();
}

} // namespace

// Each form switches to its wider one at the number of segments (never at the Vob-ID), or
// never switches.
TEST(Labels, SegmentFormsAndWhereTheyWiden)
{
    using Label = std::function<std::string(const Project &)>;
    struct Row {
        const char *name;
        Label label;
        int segments;
        const char *text;
    };
    const Label listRow = [](const Project &p) { return labels::segmentRow(p, 0); };
    const Label vobIdLabel = [](const Project &p) { return labels::vobIdLabel(p, p.segment(0)); };
    const Label tweakCells = [](const Project &p) { return labels::tweakCellsSegmentLabel(p.segment(0)); };
    const Label predicted = [](const Project &p) { return labels::predictedSegmentRow(p.segment(0)); };
    const Label name = [](const Project &p) { return labels::segmentName(p.segment(0)); };
    const Row rows[] = {
        {"list row", listRow, 999, "VTS  7 - Vob-ID   2"},
        {"list row", listRow, 1000, "VTS  7 - Vob-ID    2"},
        {"Set Q Factor / Link Vob-IDs", vobIdLabel, 99, "VTS  7 - VobID  2"},
        {"Set Q Factor / Link Vob-IDs", vobIdLabel, 100, "VTS  7 - VobID    2"},
        {"Tweak Cells", tweakCells, 1, "VTS  7 - Vob-ID    2"},
        {"predicted segments", predicted, 1000, "VTS  7 - Vob-ID   2"},
        {"settings dialogs and prediction log", name, 1000, "VTS 7 - VobID 2"},
    };
    for (const Row &row : rows) {
        const Project project = segments(row.segments);
        EXPECT_EQ(row.label(project), row.text) << row.name << ", " << row.segments << " segments";
    }
}

TEST(Labels, CellRowsNumbersAndFigures)
{
    Cell cell;
    cell.vobId = 12;
    cell.subId = 3;
    EXPECT_EQ(labels::cellRow(cell), "Vob-ID  12   Cell    3");
    EXPECT_EQ(labels::numberRow(2), " 2");
    EXPECT_EQ(labels::numberRow(10), "10");
    // 32-bit figures keep 6 significant digits, 64-bit ones 15.
    EXPECT_EQ(labels::floatText(100.0f / 3.0f), "33.3333");
    EXPECT_EQ(labels::doubleText(100.0 / 3.0), "33.3333333333333");
    EXPECT_EQ(labels::firstVobId(Segment()), 0);
}

TEST(Labels, DiscEstimatesNeedAnOverheadSizeOnlyForTheStatusLine)
{
    // 1000 frames at 4000 kbit/s, 25 fps: 9765 sectors of video.
    Project project = ProjectBuilder().segment().cell(1000, 4000).build();
    EXPECT_EQ(labels::estimateStatusText(project), "");
    EXPECT_EQ(labels::projectedSectorsText(project, 100.0), "TargetSectors 9765");
    project.overheadSize = 100000; // 109765 sectors, 217 MB
    EXPECT_EQ(labels::estimateStatusText(project), "DVD Estimated Size: 217 MB  -   RB TargetSectors 109765");
    EXPECT_EQ(labels::projectedSizeText(project, 100.0), "DVD Estimated Size 217 MB");
}
