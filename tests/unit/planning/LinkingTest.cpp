#include "planning/Linking.h"
#include "support/ProjectBuilder.h"

#include <gtest/gtest.h>

namespace {

// Title set 1: Vob-IDs 2, 3, 4 and a tiny 5 (0.05 %, hidden); title set 2: Vob-ID 6.
Project titleSets()
{
    return ProjectBuilder()
        .segment(1).cell(5000, 4000).segment(1).cell(5000, 4000).segment(1).cell(5000, 4000)
        .segment(1).cell(40, 1000).segment(2).cell(5000, 4000)
        .build();
}

} // namespace

TEST(Linking, OffersTheListedSegmentsOfTheCurrentTitleSet)
{
    const Project project = titleSets();
    struct Case {
        int current;
        bool hide;
        std::vector<int> offered;
    };
    const Case cases[] = {{1, true, {0, 1, 2}}, {1, false, {0, 1, 2, 3}}, {4, true, {4}}, {9, true, {}}};
    for (const Case &c : cases)
        EXPECT_EQ(planning::linkableSegments(project, c.current, c.hide), c.offered) << c.current;
}

TEST(Linking, SelectedSegmentsEndInTheFirstOneInIndexOrder)
{
    struct Case {
        std::vector<int> selected;
        Layout layout;
    };
    const Case cases[] = {
        // Rows 1 and 3 of three: the second stays on its own.
        {{2, 0}, {{2, 4}, {3}, {5}, {6}}},
        {{0, 1, 2}, {{2, 3, 4}, {5}, {6}}},
        {{1, 1}, {{2}, {3}, {4}, {5}, {6}}}, // one distinct segment links nothing
        {{1, 7}, {{2}, {3}, {4}, {5}, {6}}}, // a missing segment links nothing
    };
    for (const Case &c : cases) {
        Project project = titleSets();
        planning::linkSegments(project, c.selected);
        EXPECT_EQ(layout(project), c.layout);
    }
}

TEST(Linking, LinkAllTakesEveryListedSegmentOfTheTitleSet)
{
    for (const auto &[hide, expected] : {std::pair{true, Layout{{2, 3, 4}, {5}, {6}}}, {false, Layout{{2, 3, 4, 5}, {6}}}}) {
        Project project = titleSets();
        planning::linkAllInTitleSet(project, 1, hide);
        EXPECT_EQ(layout(project), expected) << hide;
    }
}
