#include "planning/LinkVobIdsDialog.h"

#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/ProjectBuilder.h"

#include <gtest/gtest.h>

using Id = LinkVobIdsDialog::Id;

namespace {

// Title set 1: Vob-IDs 2, 3, 4 and a tiny 5 (0.05 %, hidden); title set 2: 6 and a tiny 7.
Project titleSets()
{
    return ProjectBuilder()
        .segment(1).cell(5000, 4000).segment(1).cell(5000, 4000).segment(1).cell(5000, 4000).segment(1).cell(40, 1000)
        .segment(2).cell(5000, 4000).segment(2).cell(40, 1000)
        .build();
}

struct Harness {
    Harness(int current, bool hide, Project p = titleSets())
        : project(std::move(p)), dialog(project, current, hide, desktop, settings, "/nowhere")
    {
    }
    Project project;
    FakeDesktop desktop;
    AppSettings settings;
    LinkVobIdsDialog dialog;

    Control control(Id id) const { return dialog.controls().at(id); }
};

} // namespace

TEST(LinkVobIdsDialog, OpensOnTheListedSegmentsOfTheTitleSetOrNotAtAll)
{
    struct Case {
        int current;
        bool hide;
        std::vector<std::string> rows; // empty: the window closed at once
        int selected;
    };
    const Case cases[] = {
        {1, true, {"VTS  1 - Vob-ID   2", "VTS  1 - Vob-ID   3", "VTS  1 - Vob-ID   4"}, 1},
        {4, true, {}, 0}, // its sibling is insignificant: a title set of one
        {4, false, {"VTS  2 - Vob-ID   6", "VTS  2 - Vob-ID   7"}, 0},
        {9, true, {}, 0},
    };
    for (const Case &c : cases) {
        Harness h(c.current, c.hide);
        const bool open = !c.rows.empty();
        EXPECT_EQ(h.dialog.result(), open ? DialogResult::Open : DialogResult::Cancel) << c.current;
        EXPECT_EQ(h.desktop.lastMessage(), open ? "" : "This VobID can't be linked\nIt's the only VobID of the VTS");
        if (open) {
            EXPECT_EQ(h.control(Id::SegmentList).rows, c.rows);
            EXPECT_EQ(h.control(Id::SegmentList).selectedRows, std::vector<int>{c.selected});
        }
    }
}

TEST(LinkVobIdsDialog, PropertiesAndViewFirstCellFollowTheCaretRow)
{
    Harness h(1, true);
    EXPECT_EQ(h.control(Id::SegmentEdit).text, "VTS  1 - VobID  3"); // "VobID" without the hyphen
    EXPECT_EQ(h.control(Id::DurationEdit).text, "00:03.20");
    EXPECT_EQ(h.control(Id::ReductionEdit).text, "50");
    h.project.segment(2).cells[0].name = "/scripts/V01_003.avs";
    h.settings.mediaPlayerPath = "/usr/bin/player";
    h.dialog.selectionChanged({1, 2}, 2);
    EXPECT_EQ(h.control(Id::SegmentEdit).text, "VTS  1 - VobID  4");
    h.dialog.viewFirstCellClicked();
    ASSERT_EQ(h.desktop.started.size(), 1u);
    EXPECT_EQ(h.desktop.started[0].arguments, (std::vector<std::string>{"/scripts/V01_003.avs"}));
}

TEST(LinkVobIdsDialog, HidingThatLeavesFewerThanTwoRowsTurnsItselfOff)
{
    struct Case {
        int current;
        bool tick, hidden;
        std::size_t rows;
    };
    const Case cases[] = {{4, true, false, 2}, {1, true, true, 3}, {1, false, false, 4}};
    for (const Case &c : cases) {
        Harness h(c.current, !c.tick);
        h.dialog.hideClicked(c.tick);
        EXPECT_EQ(h.control(Id::HideBox).checked, c.hidden) << c.current;
        EXPECT_EQ(h.control(Id::SegmentList).rows.size(), c.rows) << c.current;
        EXPECT_EQ(h.control(Id::SegmentList).selected, 0); // the properties show the first row
    }
}

TEST(LinkVobIdsDialog, LinkingMergesIntoTheFirstSegmentAndCancelLinksNothing)
{
    const Layout unlinked = {{2}, {3}, {4}, {5}, {6}, {7}};
    struct Case {
        bool hide;
        std::vector<int> rows; // "Link selected" with these rows; empty: "Link all in this VTS"
        Layout layout;
    };
    const Case cases[] = {
        {true, {0, 2}, {{2, 4}, {3}, {5}, {6}, {7}}}, // rows 1 and 3 of three: the second stays
        {true, {0, 1, 2}, {{2, 3, 4}, {5}, {6}, {7}}},
        {true, {2, 0, 2, 9}, {{2, 4}, {3}, {5}, {6}, {7}}}, // repeats and missing rows are dropped
        {true, {1}, unlinked},                              // one row: closes, links nothing
        {true, {}, {{2, 3, 4}, {5}, {6}, {7}}},
        {false, {}, {{2, 3, 4, 5}, {6}, {7}}},
    };
    for (const Case &c : cases) {
        Harness h(0, c.hide);
        h.dialog.selectionChanged(c.rows, c.rows.empty() ? -1 : c.rows.back());
        c.rows.empty() ? h.dialog.linkAllClicked() : h.dialog.linkSelectedClicked();
        EXPECT_EQ(layout(h.project), c.layout) << c.rows.size();
        EXPECT_EQ(h.dialog.result(), DialogResult::Ok);
    }
    Harness cancelled(2, true);
    cancelled.dialog.cancelClicked();
    cancelled.dialog.linkAllClicked(); // a closed window does nothing more
    EXPECT_EQ(layout(cancelled.project), unlinked);
    EXPECT_EQ(cancelled.dialog.result(), DialogResult::Cancel);
}

TEST(LinkVobIdsDialog, WiderNumbersFollowTheNumberOfSegments)
{
    struct Case {
        int segments;
        const char *row, *label;
    };
    const Case cases[] = {
        {99, "VTS  1 - Vob-ID   2", "VTS  1 - VobID  2"},
        {100, "VTS  1 - Vob-ID   2", "VTS  1 - VobID    2"},
        {1000, "VTS  1 - Vob-ID    2", "VTS  1 - VobID    2"},
    };
    for (const Case &c : cases) {
        ProjectBuilder builder;
        for (int i = 0; i < c.segments; ++i)
            builder.segment().cell(100, 4000);
        Harness h(0, false, builder.build());
        EXPECT_EQ(h.control(Id::SegmentList).rows[0], c.row) << c.segments;
        EXPECT_EQ(h.control(Id::SegmentEdit).text, c.label) << c.segments;
    }
}
