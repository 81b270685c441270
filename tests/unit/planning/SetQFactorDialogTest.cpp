#include "planning/SetQFactorDialog.h"

#include "support/FakeDesktop.h"
#include "support/ProjectBuilder.h"

#include <gtest/gtest.h>

using Id = SetQFactorDialog::Id;

namespace {

Project opvSegments(int count, bool replanned, int q)
{
    ProjectBuilder builder;
    for (int i = 0; i < count; ++i)
        builder.segment().cell(4000, 5000);
    Project project = builder.build();
    project.segment(0).replanned = replanned;
    project.segment(0).settings.opvQFactor = q;
    return project;
}

} // namespace

TEST(SetQFactorDialog, OpensOnTheSegmentsChoice)
{
    struct Case {
        int segments;
        bool replanned;
        const char *label;
    };
    const Case cases[] = {{99, true, "VTS  1 - VobID  2"}, {100, false, "VTS  1 - VobID    2"}};
    for (const Case &c : cases) {
        Project project = opvSegments(c.segments, c.replanned, 37);
        FakeDesktop desktop;
        const ControlTable t = SetQFactorDialog(project, 0, desktop).controls();
        EXPECT_EQ(t.at(Id::SegmentEdit).text, c.label);
        EXPECT_EQ(t.at(Id::CalculatedRadio).checked, c.replanned);
        EXPECT_EQ(t.at(Id::SetToRadio).checked, !c.replanned);
        EXPECT_EQ(t.at(Id::QEdit).text, "37");
        EXPECT_EQ(t.at(Id::QEdit).enabled, !c.replanned);
    }
}

TEST(SetQFactorDialog, OkChecksTheQFieldWhicheverRadioIsChosenAndCancelChangesNothing)
{
    const std::string range = "Please enter an integer between 1 and 128.";
    // Steps: "calc" and "set" click a radio, "cancel" cancels, anything else is typed.
    struct Case {
        bool replanned;
        int q;
        std::vector<std::string> steps;
        std::vector<std::string> messages; // shown along the way, OK's last
        bool closes, replannedAfter;
        int qAfter;
    };
    const Case cases[] = {
        {true, 50, {}, {}, true, true, 50},
        {true, 0, {}, {range}, false, true, 0}, // "Calculated" cannot be confirmed with a Q of 0
        {true, 0, {"set", "60"}, {range}, true, false, 60}, // the click reads the 0 too
        {false, 20, {"128"}, {}, true, false, 128},
        {false, 20, {"129"}, {range}, false, false, 20},
        {false, 20, {"4.5"}, {"Please enter an integer."}, false, false, 20},
        {false, 20, {"calc"}, {}, true, true, 20}, // the prediction will replace it
        {false, 20, {"0", "calc", "set"}, {range, range, range}, false, false, 20},
        {true, 30, {"set", "90", "cancel"}, {}, false, true, 30},
    };
    for (const Case &c : cases) {
        Project project = opvSegments(1, c.replanned, c.q);
        FakeDesktop desktop;
        SetQFactorDialog dialog(project, 0, desktop);
        std::string trace = std::to_string(c.q);
        for (const std::string &step : c.steps) {
            trace += " " + step;
            if (step == "calc")
                dialog.calculatedClicked();
            else if (step == "set")
                dialog.setToClicked();
            else if (step == "cancel")
                dialog.cancelClicked();
            else
                dialog.qTyped(step);
        }
        SCOPED_TRACE(trace);
        EXPECT_EQ(dialog.okClicked(), c.closes);
        EXPECT_EQ(dialog.result() == DialogResult::Ok, c.closes);
        EXPECT_EQ(desktop.messageTexts(), c.messages);
        EXPECT_EQ(project.segment(0).replanned, c.replannedAfter);
        EXPECT_EQ(project.segment(0).settings.opvQFactor, c.qAfter);
    }
}
