#include "planning/TweakCellsDialog.h"

#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/ProjectBuilder.h"

#include <gtest/gtest.h>

using Id = TweakCellsDialog::Id;

namespace {

// One VBR segment of cells at 4000 and 6000 kbit/s (50 %, so their sources are 8000 and 12000)
// and a cell of 10 frames that is never planned; an average of 4990. Cells numbered 7, 8, 9.
struct Harness {
    Harness()
        : project(ProjectBuilder().segment().cell(1000, 4000).cell(1000, 6000).cell(10, 3000).build()),
          dialog(project, 0, desktop, settings, "/nowhere")
    {
    }
    Project project;
    FakeDesktop desktop;
    AppSettings settings;
    TweakCellsDialog dialog;

    Segment &segment() { return project.segment(0); }
    Control control(Id id) const { return dialog.controls().at(id); }
};

Harness &numbered(Harness &h)
{
    for (int i = 0; i < 3; ++i) {
        h.segment().cells[std::size_t(i)].subId = 7 + i;
        h.segment().cells[std::size_t(i)].name = "/scripts/cell" + std::to_string(i) + ".avs";
    }
    return h;
}

} // namespace

TEST(TweakCellsDialog, FieldsFollowEverySelectionChange)
{
    Harness h;
    numbered(h);
    h.dialog.autosizedClicked(false); // cell 0 is now held by hand
    struct Step {
        int row;
        std::string cell, frames, bitrate, reduction;
        bool autosized, autosizedEnabled, bitrateEnabled;
    };
    const Step steps[] = {
        {1, "8", "1000", "6000", "50", true, true, false},
        {0, "7", "1000", "4000", "50", false, true, true}, // the untick is remembered
        {2, "9", "10", "3000", "50", true, false, false},  // too short to tweak
        {5, "9", "10", "3000", "50", true, false, false},  // no such row: nothing moves
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.row);
        h.dialog.cellSelected(s.row);
        const ControlTable t = h.dialog.controls();
        EXPECT_EQ(t.at(Id::CellEdit).text, s.cell);
        EXPECT_EQ(t.at(Id::FramesEdit).text, s.frames);
        EXPECT_EQ(t.at(Id::BitrateEdit).text, s.bitrate);
        EXPECT_EQ(t.at(Id::ReductionEdit).text, s.reduction);
        EXPECT_EQ(t.at(Id::AutosizedBox).checked, s.autosized);
        EXPECT_EQ(t.at(Id::AutosizedBox).enabled, s.autosizedEnabled);
        EXPECT_EQ(t.at(Id::BitrateEdit).enabled, s.bitrateEnabled);
        EXPECT_EQ(t.at(Id::ReductionSlider).enabled, s.bitrateEnabled);
    }
    const ControlTable t = h.dialog.controls();
    EXPECT_EQ(t.at(Id::SegmentEdit).text, "VTS  1 - Vob-ID    2"); // always 4 digits here
    EXPECT_EQ(t.at(Id::AverageEdit).text, "4990");
    EXPECT_EQ(t.at(Id::CellList).rows,
              (std::vector<std::string>{"Vob-ID   2   Cell    7", "Vob-ID   2   Cell    8", "Vob-ID   2   Cell    9"}));
}

TEST(TweakCellsDialog, TypedBitrateShowsWhatTheCellReallyGot)
{
    // Cell 0's slider spans its floor (6.25 %) to 100 %: the other free cell can give up 5500.
    struct Case {
        const char *text;
        const char *message;
        std::vector<int> bitrates;
        int position;
    };
    const Case cases[] = {
        {"abc", "Please enter an integer.", {4000, 6000, 3000}, 4666},
        {"4000", "", {4000, 6000, 3000}, 4666},  // its own bitrate: nothing happens
        {"400", "", {4000, 6000, 3000}, 4666},   // below the floor: ignored, not clamped
        {"5000", "", {5000, 5000, 3000}, 6000},  // the other free cell pays
        {"99999", "", {8000, 500, 3000}, 10000}, // what the room allows, capped at the source
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        Harness h;
        h.dialog.autosizedClicked(false);
        h.dialog.bitrateTyped(c.text);
        EXPECT_EQ(h.desktop.lastMessage(), c.message);
        EXPECT_EQ(bitrates(h.segment()), c.bitrates);
        EXPECT_EQ(h.dialog.controls().at(Id::BitrateEdit).text, std::to_string(c.bitrates[0]));
        EXPECT_EQ(h.dialog.controls().at(Id::ReductionSlider).position, c.position);
        EXPECT_EQ(h.segment().tweaked, c.bitrates[0] != 4000);
    }
}

TEST(TweakCellsDialog, SliderMovesWorthFourKbitOrLessAreIgnored)
{
    struct Case {
        bool unlocked;
        int position;
        std::vector<int> bitrates;
    };
    const Case cases[] = {
        {true, 4672, {4000, 6000, 3000}},  // 50.05 % asks 4003 or 4004: too little
        {true, 4680, {4010, 5990, 3000}},  // 50.125 % asks 4010
        {true, 10000, {8000, 2000, 3000}}, // the top of the range
        {false, 10000, {4000, 6000, 3000}}, // a cell left to the segment ignores its slider
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.position);
        Harness h;
        h.dialog.autosizedClicked(!c.unlocked);
        h.dialog.sliderMoved(c.position);
        EXPECT_EQ(bitrates(h.segment()), c.bitrates);
        EXPECT_EQ(h.dialog.controls().at(Id::ReductionSlider).position, c.position);
    }
}

TEST(TweakCellsDialog, ResetGoesBackToTheAverageShownAtOpening)
{
    Harness h;
    h.project.targetTotalSize += 2000000; // room for the tweak to grow the segment
    h.dialog.autosizedClicked(false);
    h.dialog.bitrateTyped("7000");
    ASSERT_EQ(bitrates(h.segment()), (std::vector<int>{7000, 3750, 3000}));
    ASSERT_EQ(h.segment().averageBitrate(), 5363);

    h.dialog.resetClicked();
    // 4990 is within a step of the loaded average, so the loaded bitrates come back.
    EXPECT_EQ(bitrates(h.segment()), (std::vector<int>{4000, 6000, 3000}));
    EXPECT_FALSE(h.segment().cells[0].tweaked);
    EXPECT_TRUE(h.control(Id::AutosizedBox).checked);
    EXPECT_FALSE(h.control(Id::BitrateEdit).enabled);
    EXPECT_EQ(h.control(Id::AverageEdit).text, "4990");
}

TEST(TweakCellsDialog, ViewCellPlaysTheCellsOwnScriptAndApplyClosesWithOk)
{
    Harness h;
    numbered(h);
    h.settings.mediaPlayerPath = "/usr/bin/player";
    h.dialog.cellSelected(1);
    h.dialog.viewCellClicked();
    ASSERT_EQ(h.desktop.started.size(), 1u);
    EXPECT_EQ(h.desktop.started[0].program, "/usr/bin/player");
    EXPECT_EQ(h.desktop.started[0].arguments, (std::vector<std::string>{"/scripts/cell1.avs"}));
    EXPECT_EQ(h.dialog.result(), DialogResult::Open);
    h.dialog.applyClicked();
    EXPECT_EQ(h.dialog.result(), DialogResult::Ok);

    Harness closed;
    closed.dialog.closeClicked();
    EXPECT_EQ(closed.dialog.result(), DialogResult::Cancel);
}

TEST(TweakCellsDialog, DegenerateSegmentsNeitherCrashNorDivideByZero)
{
    struct Case {
        const char *name;
        Project project;
        int segment;
    } cases[] = {
        {"no loaded bitrate", ProjectBuilder().segment().cell(1000, 0).cell(1000, 4000).build(), 0},
        {"no loaded reduction", ProjectBuilder().segment().cell(1000, 4000, 0.0f).cell(1000, 4000).build(), 0},
        {"no cells", [] { Project p; p.segments.resize(1); return p; }(), 0},
        {"no such segment", ProjectBuilder().segment().cell(1000, 4000).build(), 3},
    };
    for (Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeDesktop desktop;
        AppSettings settings;
        TweakCellsDialog dialog(c.project, c.segment, desktop, settings, "/nowhere");
        dialog.cellSelected(0);
        dialog.autosizedClicked(false);
        dialog.sliderMoved(0);
        dialog.sliderMoved(10000);
        dialog.bitrateTyped("6000");
        dialog.resetClicked();
        const ControlTable t = dialog.controls();
        EXPECT_GE(t.at(Id::ReductionSlider).position, 0);
        EXPECT_LE(t.at(Id::ReductionSlider).position, 10000);
        for (const Segment &segment : c.project.segments)
            for (const Cell &cell : segment.cells)
                EXPECT_GE(cell.bitrate, 0);
    }
}
