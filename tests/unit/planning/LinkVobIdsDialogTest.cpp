#include "planning/LinkVobIdsDialog.h"

#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/ProjectBuilder.h"

#include <gtest/gtest.h>

using Id = LinkVobIdsDialog::Id;

namespace {

using Layout = std::vector<std::vector<int>>;

// The Vob-IDs of each segment's cells, segment by segment.
Layout layout(const Project &project)
{
    Layout result;
    for (const Segment &segment : project.segments) {
        result.emplace_back();
        for (const Cell &cell : segment.cells)
            result.back().push_back(cell.vobId);
    }
    return result;
}

// Title set 1: Vob-IDs 2, 3, 4 and a tiny 5 (0.05 %, hidden); title set 2: Vob-ID 6 and a
// tiny 7.
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
};

const Layout unlinked = {{2}, {3}, {4}, {5}, {6}, {7}};

} // namespace

TEST(LinkVobIdsDialog, OpensOnTheListedSegmentsOfTheTitleSetOrNotAtAll)
{
    struct Case {
        int current;
        bool hide;
        std::vector<std::string> rows; // empty: the window closed at once
        std::vector<int> selected;
    };
    const Case cases[] = {
        {1, true, {"VTS  1 - Vob-ID   2", "VTS  1 - Vob-ID   3", "VTS  1 - Vob-ID   4"}, {1}},
        {1, false, {"VTS  1 - Vob-ID   2", "VTS  1 - Vob-ID   3", "VTS  1 - Vob-ID   4", "VTS  1 - Vob-ID   5"}, {1}},
        {4, true, {}, {}}, // its sibling is insignificant: a title set of one
        {4, false, {"VTS  2 - Vob-ID   6", "VTS  2 - Vob-ID   7"}, {0}},
        {9, true, {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.current) + (c.hide ? " hide" : ""));
        Harness h(c.current, c.hide);
        if (c.rows.empty()) {
            EXPECT_EQ(h.dialog.result(), DialogResult::Cancel);
            EXPECT_EQ(h.desktop.lastMessage(), "This VobID can't be linked\nIt's the only VobID of the VTS");
            EXPECT_EQ(h.desktop.messages.back().icon, Desktop::Icon::Error);
            continue;
        }
        EXPECT_EQ(h.dialog.result(), DialogResult::Open);
        EXPECT_TRUE(h.desktop.messages.empty());
        const Control list = h.dialog.controls().at(Id::SegmentList);
        EXPECT_EQ(list.rows, c.rows);
        EXPECT_EQ(list.selectedRows, c.selected);
        EXPECT_EQ(list.selected, c.selected[0]);
    }
    // The properties of the segment it opened on, labelled "VobID" without the hyphen.
    const ControlTable t = Harness(1, true).dialog.controls();
    EXPECT_EQ(t.at(Id::SegmentEdit).text, "VTS  1 - VobID  3");
    EXPECT_EQ(t.at(Id::DurationEdit).text, "00:03.20");
    EXPECT_EQ(t.at(Id::BitrateEdit).text, "4000");
    EXPECT_EQ(t.at(Id::ReductionEdit).text, "50");
}

TEST(LinkVobIdsDialog, HidingThatLeavesFewerThanTwoRowsTurnsItselfOff)
{
    struct Case {
        int current;
        bool hideAtOpening, tick;
        bool hidden;
        std::size_t rows;
    };
    const Case cases[] = {{4, false, true, false, 2}, {1, false, true, true, 3}, {1, true, false, false, 4}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.current);
        Harness h(c.current, c.hideAtOpening);
        h.dialog.hideClicked(c.tick);
        const ControlTable t = h.dialog.controls();
        EXPECT_EQ(t.at(Id::HideBox).checked, c.hidden);
        EXPECT_EQ(t.at(Id::SegmentList).rows.size(), c.rows);
        EXPECT_EQ(t.at(Id::SegmentList).selected, 0); // the properties show the first row
        EXPECT_EQ(t.at(Id::SegmentEdit).text, c.current == 4 ? "VTS  2 - VobID  6" : "VTS  1 - VobID  2");
    }
}

TEST(LinkVobIdsDialog, LinkSelectedMergesEverySelectedSegmentIntoTheFirst)
{
    struct Case {
        std::vector<int> rows;
        Layout layout;
    };
    const Case cases[] = {
        {{0, 2}, {{2, 4}, {3}, {5}, {6}, {7}}}, // rows 1 and 3 of three: the second stays
        {{0, 1, 2}, {{2, 3, 4}, {5}, {6}, {7}}},
        {{2, 0, 2, 9}, {{2, 4}, {3}, {5}, {6}, {7}}}, // repeats and rows that do not exist are dropped
        {{1}, unlinked},                              // one row: closes, links nothing
    };
    for (const Case &c : cases) {
        Harness h(0, true);
        h.dialog.selectionChanged(c.rows, c.rows.back());
        h.dialog.linkSelectedClicked();
        EXPECT_EQ(layout(h.project), c.layout) << c.rows.size();
        EXPECT_EQ(h.dialog.result(), DialogResult::Ok);
    }
}

TEST(LinkVobIdsDialog, LinkAllTakesEveryListedSegmentAndCancelNone)
{
    Harness hidden(2, true);
    hidden.dialog.linkAllClicked();
    EXPECT_EQ(layout(hidden.project), (Layout{{2, 3, 4}, {5}, {6}, {7}}));
    EXPECT_EQ(hidden.dialog.result(), DialogResult::Ok);

    Harness all(2, true);
    all.dialog.hideClicked(false);
    all.dialog.linkAllClicked();
    EXPECT_EQ(layout(all.project), (Layout{{2, 3, 4, 5}, {6}, {7}}));

    Harness cancelled(2, true);
    cancelled.dialog.selectionChanged({0, 1}, 1);
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
        const ControlTable t = h.dialog.controls();
        EXPECT_EQ(t.at(Id::SegmentList).rows[0], c.row) << c.segments;
        EXPECT_EQ(t.at(Id::SegmentEdit).text, c.label) << c.segments;
    }
}

TEST(LinkVobIdsDialog, ViewFirstCellPlaysTheFocusedSegmentsFirstScript)
{
    Harness h(0, true);
    h.project.segment(2).cells[0].name = "/scripts/V01_003.avs";
    h.settings.mediaPlayerPath = "/usr/bin/player";
    h.dialog.selectionChanged({0, 2}, 2);
    EXPECT_EQ(h.dialog.controls().at(Id::SegmentEdit).text, "VTS  1 - VobID  4");
    h.dialog.viewFirstCellClicked();
    ASSERT_EQ(h.desktop.started.size(), 1u);
    EXPECT_EQ(h.desktop.started[0].arguments, (std::vector<std::string>{"/scripts/V01_003.avs"}));
}
