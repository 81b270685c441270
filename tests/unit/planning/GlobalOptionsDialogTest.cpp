#include "planning/GlobalOptionsDialog.h"

#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/ProjectBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using Id = GlobalOptionsDialog::Id;

namespace {

// 1000 frames at 4000 kbit/s and 25 fps: 9765 sectors of video, 4000000 frame-kbps units.
struct Harness {
    explicit Harness(std::int64_t overhead = 100000, double targetPercent = 100.0, std::string folder = "/nowhere")
        : project(at(overhead, targetPercent)), dialog(project, desktop, settings, std::move(folder))
    {
    }
    static Project at(std::int64_t overhead, double targetPercent)
    {
        Project p = ProjectBuilder().segment().cell(1000, 4000).overhead(overhead).build();
        p.setOutputSizePercent(targetPercent);
        return p;
    }
    Project project;
    FakeDesktop desktop;
    AppSettings settings;
    GlobalOptionsDialog dialog;
};

} // namespace

TEST(GlobalOptionsDialog, PercentageAndProjectedDiscSize)
{
    struct Case {
        std::int64_t overhead;
        double targetPercent; // before opening
        int slider;           // 0: not moved
        double chosen;        // 0: not chosen
        const char *percent;
        int position;
        const char *estimate, *sectors;
    };
    const Case cases[] = {
        {100000, 100.0, 0, 0, "100", 1000, "DVD Estimated Size 217 MB", "TargetSectors 109765"},
        // 9765 x 1.05 = 10253.25 sectors of video, plus the overhead
        {100000, 100.0, 1050, 0, "105", 1050, "DVD Estimated Size 218 MB", "TargetSectors 110253"},
        {0, 100.0, 950, 0, "95", 950, "DVD Estimated Size 18 MB", "TargetSectors 9276"},
        // the slider's first drawing cuts 96.57 to a multiple of 0.1, and the plan made for
        // 96.57 % is projected to 96.5: 9765 x 100 / 96.57 x 0.965 = 9757.9
        {0, 96.57, 0, 0, "96.5", 965, "DVD Estimated Size 19 MB", "TargetSectors 9757"},
        {0, 100.0, 0, 150.0, "150", 1050, "DVD Estimated Size 28 MB", "TargetSectors 14647"},
    };
    for (const Case &c : cases) {
        Harness h(c.overhead, c.targetPercent);
        if (c.slider)
            h.dialog.sliderMoved(c.slider);
        if (c.chosen)
            h.dialog.percentChosen(c.chosen);
        const ControlTable t = h.dialog.controls();
        EXPECT_EQ(t.at(Id::PercentEdit).text, c.percent);
        EXPECT_EQ(t.at(Id::PercentSlider).position, c.position) << c.percent;
        EXPECT_EQ(t.at(Id::EstimateEdit).text, c.estimate) << c.percent;
        EXPECT_EQ(t.at(Id::SectorsEdit).text, c.sectors) << c.percent;
    }
}

TEST(GlobalOptionsDialog, OkSetsTheTargetAndCancelKeepsIt)
{
    struct Case {
        int slider; // 0: not moved
        bool ok;
        std::int64_t target;
    };
    const Case cases[] = {{0, true, 4000000}, {1050, true, 4200000}, {951, true, 3804000}, {1050, false, 4000000}};
    for (const Case &c : cases) {
        Harness h;
        if (c.slider)
            h.dialog.sliderMoved(c.slider);
        if (c.ok)
            EXPECT_TRUE(h.dialog.okClicked());
        else
            h.dialog.cancelClicked();
        EXPECT_EQ(h.project.targetTotalSize, c.target) << c.slider;
        EXPECT_EQ(h.dialog.result(), c.ok ? DialogResult::Ok : DialogResult::Cancel);
    }
}

TEST(GlobalOptionsDialog, RestoreAndProgramChoosersReachTheirOperations)
{
    for (bool yes : {false, true}) {
        Harness h;
        h.desktop.answers = {yes};
        EXPECT_EQ(h.dialog.restoreClicked(), yes);
        EXPECT_EQ(h.desktop.exitStatus, yes ? std::optional<int>(0) : std::nullopt);
        EXPECT_EQ(h.dialog.result(), DialogResult::Open);
    }
    // A cancelled "Select &CCE" still rewrites the settings file; "Select &MPlayer" does not.
    for (bool cce : {true, false}) {
        TempFolder folder;
        Harness h(0, 100.0, folder.path());
        cce ? h.dialog.selectCceClicked() : h.dialog.selectMediaPlayerClicked();
        ASSERT_EQ(h.desktop.choosers.size(), 1u);
        EXPECT_EQ(h.desktop.choosers[0].title, cce ? "Select CCE executable" : "Select your mediaplayer ...");
        EXPECT_EQ(fileExists(settingsFilePath(folder.path())), cce);
    }
}
