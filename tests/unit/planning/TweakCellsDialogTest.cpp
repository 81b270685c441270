#include "planning/TweakCellsDialog.h"

#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/ProjectBuilder.h"

#include <gtest/gtest.h>

using Id = TweakCellsDialog::Id;

namespace {

// One segment of cells at 4000 and 6000 kbit/s (50 %, so their sources are 8000 and 12000)
// and a cell of 10 frames that is never planned; an average of 4990. Cells numbered 7, 8, 9.
// Cell 0's slider spans its floor (6.25 %) to 100 %; the other free cell can give up 5500.
struct Harness {
    explicit Harness(Project p = ProjectBuilder().segment().cell(1000, 4000).cell(1000, 6000).cell(10, 3000).build(),
                     int segment = 0)
        : project(numbered(std::move(p))), dialog(project, segment, desktop, settings, "/nowhere")
    {
    }
    static Project numbered(Project p)
    {
        for (std::size_t i = 0; !p.segments.empty() && i < p.segments[0].cells.size(); ++i) {
            p.segments[0].cells[i].subId = 7 + int(i);
            p.segments[0].cells[i].name = "/scripts/cell" + std::to_string(i) + ".avs";
        }
        return p;
    }
    Project project;
    FakeDesktop desktop;
    AppSettings settings;
    TweakCellsDialog dialog;

    Control control(Id id) const { return dialog.controls().at(id); }
};

} // namespace

TEST(TweakCellsDialog, FieldsFollowEverySelectionChange)
{
    Harness h;
    EXPECT_EQ(h.control(Id::SegmentEdit).text, "VTS  1 - Vob-ID    2"); // always 4 digits here
    EXPECT_EQ(h.control(Id::AverageEdit).text, "4990");
    EXPECT_EQ(h.control(Id::CellList).rows[2], "Vob-ID   2   Cell    9");
    h.dialog.autosizedClicked(false); // cell 0 is now held by hand
    struct Step {
        int row;
        std::string cell, bitrate;
        bool autosized, autosizedEnabled, bitrateEnabled;
    };
    const Step steps[] = {
        {1, "8", "6000", true, true, false},
        {0, "7", "4000", false, true, true}, // the untick is remembered
        {2, "9", "3000", true, false, false}, // too short to tweak
        {5, "9", "3000", true, false, false}, // no such row: nothing moves
    };
    for (const Step &s : steps) {
        h.dialog.cellSelected(s.row);
        const ControlTable t = h.dialog.controls();
        EXPECT_EQ(t.at(Id::CellEdit).text, s.cell) << s.row;
        EXPECT_EQ(t.at(Id::BitrateEdit).text, s.bitrate) << s.row;
        EXPECT_EQ(t.at(Id::AutosizedBox).checked, s.autosized) << s.row;
        EXPECT_EQ(t.at(Id::AutosizedBox).enabled, s.autosizedEnabled) << s.row;
        EXPECT_EQ(t.at(Id::BitrateEdit).enabled, s.bitrateEnabled) << s.row;
        EXPECT_EQ(t.at(Id::ReductionSlider).enabled, s.bitrateEnabled) << s.row;
    }
    // "View Cell" plays the selected cell's own script, unchanged.
    h.settings.mediaPlayerPath = "/usr/bin/player";
    h.dialog.viewCellClicked();
    ASSERT_EQ(h.desktop.started.size(), 1u);
    EXPECT_EQ(h.desktop.started[0].arguments, (std::vector<std::string>{"/scripts/cell2.avs"}));
}

TEST(TweakCellsDialog, TypedBitrateShowsWhatTheCellReallyGot)
{
    struct Case {
        const char *text, *message;
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
        Harness h;
        h.dialog.autosizedClicked(false);
        h.dialog.bitrateTyped(c.text);
        EXPECT_EQ(h.desktop.lastMessage(), c.message) << c.text;
        EXPECT_EQ(bitrates(h.project), c.bitrates) << c.text;
        EXPECT_EQ(h.control(Id::BitrateEdit).text, std::to_string(c.bitrates[0])) << c.text;
        EXPECT_EQ(h.control(Id::ReductionSlider).position, c.position) << c.text;
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
        {true, 4673, {4000, 6000, 3000}},   // 50.059 % asks 4004: 4 kbit/s is still too little
        {true, 4680, {4010, 5990, 3000}},   // 50.125 % asks 4010
        {true, 10000, {8000, 2000, 3000}},  // the top of the range
        {false, 10000, {4000, 6000, 3000}}, // a cell left to the segment ignores its slider
    };
    for (const Case &c : cases) {
        Harness h;
        h.dialog.autosizedClicked(!c.unlocked);
        h.dialog.sliderMoved(c.position);
        EXPECT_EQ(bitrates(h.project), c.bitrates) << c.position;
    }
}

TEST(TweakCellsDialog, ResetGoesBackToTheAverageShownAtOpening)
{
    Harness h;
    h.project.targetTotalSize += 2000000; // room for the tweak to grow the segment to 5363
    h.dialog.autosizedClicked(false);
    h.dialog.bitrateTyped("7000");
    ASSERT_EQ(bitrates(h.project), (std::vector<int>{7000, 3750, 3000}));
    h.dialog.resetClicked();
    // 4990 is within a step of the loaded average, so the loaded bitrates come back.
    EXPECT_EQ(bitrates(h.project), (std::vector<int>{4000, 6000, 3000}));
    EXPECT_TRUE(h.control(Id::AutosizedBox).checked);
    EXPECT_FALSE(h.control(Id::BitrateEdit).enabled);
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
        Harness h(std::move(c.project), c.segment);
        h.dialog.autosizedClicked(false);
        for (int position : {0, 10000})
            h.dialog.sliderMoved(position);
        h.dialog.bitrateTyped("6000");
        h.dialog.resetClicked();
        const int position = h.control(Id::ReductionSlider).position;
        EXPECT_TRUE(position >= 0 && position <= 10000) << c.name;
        for (const int bitrate : bitrates(h.project))
            EXPECT_GE(bitrate, 0) << c.name;
    }
}
