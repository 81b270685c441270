#include "planning/GlobalOptionsDialog.h"

#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/ProjectBuilder.h"
#include "support/ProjectFilesBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using Id = GlobalOptionsDialog::Id;

namespace {

// 1000 frames at 4000 kbit/s and 25 fps: 9765 sectors of video.
Project oneCell(std::int64_t overhead = 100000)
{
    return ProjectBuilder().segment().cell(1000, 4000).overhead(overhead).build();
}

} // namespace

TEST(GlobalOptionsDialog, PercentageAndProjectedDiscSize)
{
    struct Case {
        const char *name;
        std::int64_t overhead;
        double targetPercent; // before opening
        std::function<void(GlobalOptionsDialog &)> act;
        const char *percent;
        int position;
        const char *estimate, *sectors;
    };
    const auto none = [](GlobalOptionsDialog &) {};
    const Case cases[] = {
        {"as loaded", 100000, 100.0, none, "100", 1000, "DVD Estimated Size 217 MB", "TargetSectors 109765"},
        // 9765 x 1.05 = 10253.25 sectors of video, plus the overhead
        {"right end", 100000, 100.0, [](GlobalOptionsDialog &d) { d.sliderMoved(1050); }, "105", 1050,
         "DVD Estimated Size 218 MB", "TargetSectors 110253"},
        {"no overhead", 0, 100.0, [](GlobalOptionsDialog &d) { d.sliderMoved(950); }, "95", 950,
         "DVD Estimated Size 18 MB", "TargetSectors 9276"},
        // the slider's first drawing cuts 96.57 to a multiple of 0.1, and the plan made for
        // 96.57 % is projected to 96.5: 9765 x 100 / 96.57 x 0.965 = 9757.9
        {"cut at opening", 0, 96.57, none, "96.5", 965, "DVD Estimated Size 19 MB", "TargetSectors 9757"},
        {"chosen outside the slider", 0, 100.0, [](GlobalOptionsDialog &d) { d.percentChosen(150.0); }, "150", 1050,
         "DVD Estimated Size 28 MB", "TargetSectors 14647"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Project project = oneCell(c.overhead);
        project.setOutputSizePercent(c.targetPercent);
        FakeDesktop desktop;
        AppSettings settings;
        GlobalOptionsDialog dialog(project, desktop, settings, "/nowhere");
        c.act(dialog);
        const ControlTable t = dialog.controls();
        EXPECT_EQ(t.at(Id::PercentEdit).text, c.percent);
        EXPECT_EQ(t.at(Id::PercentSlider).position, c.position);
        EXPECT_EQ(t.at(Id::EstimateEdit).text, c.estimate);
        EXPECT_EQ(t.at(Id::SectorsEdit).text, c.sectors);
    }
}

TEST(GlobalOptionsDialog, OkSetsTheTargetAndCancelKeepsIt)
{
    struct Case {
        int position; // 0: the slider is not moved
        bool ok;
        std::int64_t target; // of 4000000 loaded
    };
    const Case cases[] = {{0, true, 4000000}, {1050, true, 4200000}, {951, true, 3804000}, {1050, false, 4000000}};
    for (const Case &c : cases) {
        Project project = oneCell();
        FakeDesktop desktop;
        AppSettings settings;
        GlobalOptionsDialog dialog(project, desktop, settings, "/nowhere");
        if (c.position)
            dialog.sliderMoved(c.position);
        c.ok ? dialog.okClicked() : dialog.cancelClicked();
        EXPECT_EQ(project.targetTotalSize, c.target) << c.position;
        EXPECT_EQ(dialog.result(), c.ok ? DialogResult::Ok : DialogResult::Cancel);
    }
}

TEST(GlobalOptionsDialog, RestoreEndsTheProgramOnlyWhenEveryCopyWent)
{
    struct Case {
        bool yes, blocked;
        std::optional<int> exitStatus;
        const char *message;
    };
    const Case cases[] = {
        {false, false, std::nullopt, ""},
        {true, true, std::nullopt, "Problems restoring original Rebuilder.inf."},
        {true, false, 0, ""},
    };
    for (const Case &c : cases) {
        TempFolder folder;
        ProjectFilesBuilder files;
        files.add(1, 1, 1);
        const std::string inf = files.writeTo(folder);
        folder.write("Rebuilder.INF.original", "as DVD-Rebuilder wrote it\r\n");
        FakeDesktop desktop;
        AppSettings settings;
        Project project;
        ASSERT_TRUE(project.load(inf, desktop));
        if (c.blocked) { // a folder in its place cannot be replaced by a copy
            std::filesystem::remove(inf);
            std::filesystem::create_directory(inf);
        }
        GlobalOptionsDialog dialog(project, desktop, settings, folder.path());
        desktop.answers = {c.yes};
        EXPECT_EQ(dialog.restoreClicked(), c.exitStatus.has_value());
        EXPECT_EQ(desktop.exitStatus, c.exitStatus);
        EXPECT_EQ(desktop.lastMessage(), c.message);
        EXPECT_EQ(dialog.result(), DialogResult::Open);
        EXPECT_EQ(readBytes(inf) == "as DVD-Rebuilder wrote it\r\n", c.exitStatus.has_value());
    }
}

TEST(GlobalOptionsDialog, ProgramChoosersWriteTheSettingsFileAsEachOneShould)
{
    struct Case {
        bool cce;
        std::optional<std::string> chosen;
        bool written;
    };
    const Case cases[] = {{true, std::nullopt, true}, {true, "C:\\CCE\\cce.exe", true},
                          {false, std::nullopt, false}, {false, "C:\\mpc\\mpc.exe", true}};
    for (const Case &c : cases) {
        TempFolder folder;
        Project project = oneCell();
        FakeDesktop desktop;
        AppSettings settings;
        GlobalOptionsDialog dialog(project, desktop, settings, folder.path());
        desktop.chosenFiles = {c.chosen};
        c.cce ? dialog.selectCceClicked() : dialog.selectMediaPlayerClicked();
        ASSERT_EQ(desktop.choosers.size(), 1u);
        EXPECT_EQ(desktop.choosers[0].title, c.cce ? "Select CCE executable" : "Select your mediaplayer ...");
        EXPECT_EQ(fileExists(settingsFilePath(folder.path())), c.written);
        EXPECT_EQ(c.cce ? settings.ccePath : settings.mediaPlayerPath, c.chosen.value_or(""));
    }
}
