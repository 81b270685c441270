#include "app/MainWindow.h"

#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/ProjectBuilder.h"
#include "support/ProjectFilesBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using Id = MainWindow::Id;

namespace {

struct Harness {
    explicit Harness(Project p = Project()) : project(std::move(p)), window(project, desktop, settings) {}
    Project project;
    FakeDesktop desktop;
    AppSettings settings;
    MainWindow window;

    // The clicks of the window's controls, as the user makes them.
    void tick(bool autosized) { window.autosizedClicked(autosized); }
    void type(unsigned kbps) { window.bitrateTyped(std::to_string(kbps)); }
    void slide(int position) { window.sliderMoved(position); }
    void hide(bool on) { window.hideClicked(on); }
    void opvForSmall(bool on) { window.opvForSmallClicked(on); }

    // What the controls show.
    std::string text(Id id) const { return window.control(id).text; }
    double number(Id id) const { return std::stod(text(id)); }
    std::vector<std::string> rows() const { return window.control(Id::SegmentList).rows; }
    int selectedRow() const { return window.control(Id::SegmentList).selected; }
    bool checked(Id id) const { return window.control(id).checked; }
    int sliderPosition() const { return window.control(Id::ReductionSlider).position; }
};

// Two VBR segments: a 5000 kbit/s average over two cells at 50 %, and a single cell.
Project twoSegments(int cceType = 3, int encoderMode = 1)
{
    Project project =
        ProjectBuilder().segment().cell(1000, 4000).cell(1000, 6000).segment().cell(2000, 5000).build();
    project.encoderMode = encoderMode;
    project.cceType = cceType;
    for (Segment &segment : project.segments)
        segment.vbrMode = true;
    return project;
}

const Id segmentControls[] = {Id::AutosizedBox,  Id::BitrateEdit,   Id::ReductionSlider,
                                   Id::TweakCellsButton, Id::VbrRadio,   Id::OpvRadio,
                                   Id::CustomQButton, Id::PreviewButton, Id::ScriptEditorButton,
                                   Id::SettingsButton, Id::LinkButton};

} // namespace

TEST(MainWindow, SettingsButtonFollowsTheEncoderMode)
{
    using D = MainWindow::SettingsDialog;
    struct Case {
        int encoderMode, cceType;
        bool enabled;
        const char *caption;
        D dialog;
    };
    const Case cases[] = {
        {1, 0, true, "&CCE Settings", D::CceSp},  {1, -1, true, "&CCE Settings", D::CceSp},
        {1, 2, true, "&CCE Settings", D::Generic}, {1, 3, true, "&CCE Settings", D::Cce270},
        {3, 0, true, "PRO Settings", D::Generic},  {2, 3, false, "&CCE Settings", D::None},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.encoderMode) + "/" + std::to_string(c.cceType));
        Harness h(twoSegments(c.cceType, c.encoderMode));
        EXPECT_EQ(h.window.isEnabled(Id::SettingsButton), c.enabled);
        EXPECT_EQ(h.text(Id::SettingsButton), c.caption);
        EXPECT_EQ(h.window.settingsDialog(), c.dialog);
    }
}

TEST(MainWindow, LoadListsTheSegmentsAndAFailedLoadLeavesNoRowToAVanishedSegment)
{
    TempFolder folder;
    ProjectFilesBuilder files;
    files.add(1, 1, 1, 4000, 5000);
    files.add(1, 2, 1, 4000, 3000);
    Harness h;
    EXPECT_FALSE(h.window.loadClicked()); // chooser cancelled
    ASSERT_EQ(h.desktop.choosers.size(), 1u);
    EXPECT_EQ(h.desktop.choosers[0].title, "Open Rebuilder.inf ...");
    EXPECT_EQ(h.desktop.choosers[0].defaultName, "REBUILDER.INF");

    h.desktop.chosenFiles.push_back(files.writeTo(folder));
    ASSERT_TRUE(h.window.loadClicked());
    EXPECT_EQ(h.rows(), (std::vector<std::string>{"VTS  1 - Vob-ID   1", "VTS  1 - Vob-ID   2"}));
    EXPECT_EQ(h.selectedRow(), 0);
    EXPECT_EQ(h.text(Id::BitrateEdit), "5000");
    for (Id control : {Id::ResetButton, Id::SaveButton, Id::HideBox, Id::GlobalOptionsButton,
                            Id::OpvForSmallBox, Id::PreviewButton, Id::LinkButton})
        EXPECT_TRUE(h.window.isEnabled(control)) << int(control);

    h.window.rowSelected(1);
    EXPECT_FALSE(h.window.loadFrom(folder.file("missing.INF")));
    EXPECT_TRUE(h.rows().empty());
    EXPECT_TRUE(h.window.rowMap().empty());
    EXPECT_EQ(h.window.selectedSegment(), nullptr);
    for (Id control : segmentControls)
        EXPECT_FALSE(h.window.isEnabled(control)) << int(control);
    EXPECT_FALSE(h.window.isEnabled(Id::SaveButton));
    // Nothing still reachable touches the vanished segments.
    h.window.rowSelected(1);
    h.type(3000);
    h.window.vbrClicked();
    EXPECT_FALSE(h.window.saveClicked(nullptr));
}

TEST(MainWindow, ListHidesInsignificantSegmentsAndMayEndUpEmpty)
{
    // Segment 1 is 0.05 % of the target.
    Harness h(ProjectBuilder().segment().cell(19990, 5000).segment().cell(100, 500).build());
    EXPECT_EQ(h.window.rowMap(), (std::vector<int>{0}));
    EXPECT_FALSE(h.window.isEnabled(Id::LinkButton));
    h.hide(false);
    EXPECT_EQ(h.window.rowMap(), (std::vector<int>{0, 1}));
    EXPECT_TRUE(h.window.isEnabled(Id::LinkButton));

    // 1001 equal segments are each below 0.1 %: all hidden, and no row is selected.
    ProjectBuilder builder;
    for (int i = 0; i < 1001; ++i)
        builder.segment().cell(100, 4000);
    Harness many(builder.build());
    EXPECT_TRUE(many.rows().empty());
    EXPECT_EQ(many.window.currentSegment(), -1);
    for (Id control : segmentControls)
        EXPECT_FALSE(many.window.isEnabled(control)) << int(control);
    many.hide(false);
    ASSERT_EQ(many.rows().size(), 1001u);
    // From 1000 segments on every row takes the 4-digit form, whatever the Vob-ID.
    EXPECT_EQ(many.rows()[0], "VTS  1 - Vob-ID    2");
    EXPECT_TRUE(many.window.isEnabled(Id::PreviewButton));
}

TEST(MainWindow, SelectionRulesDecideTheSegmentControls)
{
    struct Case {
        const char *name;
        int frames; // one cell; 10 or fewer is not significant
        bool vbr, autosized;
        int cceType;
        bool opvForSmall, tweaked;
        bool autosizedEnabled, bitrateEnabled, tweakEnabled, modeEnabled, customQ, tweakedBox;
    };
    const Case cases[] = {
        {"large autosized VBR", 4000, true, true, 3, false, false, true, false, false, true, false, false},
        {"large fixed VBR", 4000, true, false, 3, false, true, true, true, true, true, false, true},
        {"large fixed OPV", 4000, false, false, 3, false, true, true, true, false, true, true, false},
        {"small VBR", 3050, true, true, 3, false, false, true, false, false, false, false, false},
        {"3051 frames is not small", 3051, true, true, 3, false, false, true, false, false, true, false, false},
        {"small VBR, OPV for small", 3000, true, true, 3, true, false, true, false, false, true, false, false},
        {"small OPV", 3000, false, true, 3, false, false, true, false, false, true, true, false},
        {"CCE type 2", 4000, false, true, 2, true, false, true, false, false, false, false, false},
        {"no significant cell", 10, false, true, 3, true, false, false, false, false, false, false, false},
    };
    for (const Case &c : cases) {
        // The subject stays the larger segment, so hiding keeps it listed.
        Project project = ProjectBuilder().segment().cell(c.frames, 9000).segment().cell(20, 500).build();
        project.encoderMode = 1;
        project.cceType = c.cceType;
        project.segment(0).vbrMode = c.vbr;
        project.segment(0).autosized = c.autosized;
        project.segment(0).tweaked = c.tweaked;
        Harness h(std::move(project));
        h.opvForSmall(c.opvForSmall);
        SCOPED_TRACE(c.name);
        ASSERT_EQ(h.window.currentSegment(), 0);
        for (const auto &[control, enabled] : {std::pair{Id::AutosizedBox, c.autosizedEnabled},
                                               {Id::BitrateEdit, c.bitrateEnabled}, {Id::ReductionSlider, c.bitrateEnabled},
                                               {Id::TweakCellsButton, c.tweakEnabled}, {Id::VbrRadio, c.modeEnabled},
                                               {Id::OpvRadio, c.modeEnabled}, {Id::CustomQButton, c.customQ}})
            EXPECT_EQ(h.window.isEnabled(control), enabled) << int(control);
        EXPECT_EQ(h.checked(Id::TweakedBox), c.tweakedBox);
        EXPECT_EQ(h.checked(Id::OpvRadio), !c.vbr);
    }
}

TEST(MainWindow, FiguresOfTheSelectedSegmentAndTheProject)
{
    // 1000 frames at 4000 kbit/s, 25 fps: 9765 sectors; with 100000 of overhead 109765 sectors,
    // 2 x 109765 x 0.0009892578125 = 217.17 MB.
    Harness h(ProjectBuilder().segment().cell(1000, 4000, 40.0f).overhead(100000).build());
    EXPECT_EQ(h.text(Id::StatusEdit), "DVD Estimated Size: 217 MB  -   RB TargetSectors 109765");
    EXPECT_EQ(h.text(Id::TotalSizeEdit), "100");
    EXPECT_EQ(h.text(Id::ReductionEdit), "40");
    EXPECT_EQ(h.text(Id::DurationEdit), "00:00.40");
    // The floor of 500 out of 4000 at 40 % is 5 %: the slider spans 5..100.
    EXPECT_DOUBLE_EQ(planning::segmentSliderRange(h.project.segment(0)).sliderMin, 5.0);
    EXPECT_EQ(h.sliderPosition(), 3684); // (40 - 5) x 10000 / 95, truncated

    Harness noOverhead(ProjectBuilder().segment().cell(1000, 4000).build());
    EXPECT_EQ(noOverhead.text(Id::StatusEdit), "");
}

TEST(MainWindow, TypedBitrateIsAnUnsignedInteger)
{
    struct Case {
        const char *text;
        bool accepted;
    };
    // Beyond the largest int the bitrate is capped (at the cells' source sizes) rather than refused.
    const Case cases[] = {{" 4000 ", true}, {"4294967295", true}, {"4294967296", true},
                          {"-1", false},    {"", false},          {"4.5", false}};
    for (const Case &c : cases) {
        Harness h(twoSegments());
        h.tick(false);
        h.window.bitrateTyped(c.text);
        EXPECT_EQ(h.project.segment(0).replanned, c.accepted) << c.text;
        EXPECT_EQ(h.desktop.lastMessage(), c.accepted ? "" : "Please enter a positive integer.") << c.text;
        if (!c.accepted) {
            EXPECT_EQ(h.text(Id::BitrateEdit), "5000") << c.text; // the field shows the bitrate again
        }
    }
}

TEST(MainWindow, TypedBitrateSetsTheSegmentAndRebalancesTheAutosizedOnes)
{
    Harness h(twoSegments());
    h.tick(false);
    EXPECT_FALSE(h.project.segment(0).replanned); // unticking changes no bitrate
    h.type(5000); // the current average: nothing happens
    EXPECT_FALSE(h.project.segment(0).replanned);

    // 4000 asks the cells for 4001 (x 0.8002): 3200 and 4801, an average of 4000. The other
    // segment takes what was freed: ceil(5000 x 1.1999) = 6000.
    h.type(4000);
    EXPECT_EQ(bitrates(h.project.segment(0)), (std::vector<int>{3200, 4801}));
    EXPECT_EQ(h.project.segment(1).averageBitrate(), 6000);
    EXPECT_EQ(h.text(Id::BitrateEdit), "4000");
    EXPECT_TRUE(h.project.segment(0).replanned);

    // The largest typed value caps the cells at their source (50 %: double) rather than
    // wrapping round to the floor.
    h.type(4294967295u);
    EXPECT_EQ(bitrates(h.project.segment(0)), (std::vector<int>{8000, 12000}));
}

TEST(MainWindow, SliderReplansOnlyAFixedSegmentAndOnlyForARealMove)
{
    Harness h(twoSegments());
    EXPECT_EQ(h.sliderPosition(), 4736); // 50 % on 5..100
    h.slide(10000); // autosized: nothing
    EXPECT_FALSE(h.project.segment(0).replanned);

    h.tick(false);
    h.slide(4736); // 49.992: within 0.01 of where it is
    EXPECT_FALSE(h.project.segment(0).replanned);

    h.slide(10000);
    EXPECT_EQ(bitrates(h.project.segment(0)), (std::vector<int>{8000, 12000}));
    EXPECT_EQ(bitrates(h.project.segment(1)), (std::vector<int>{500})); // it pays down to its floor
    EXPECT_EQ(h.text(Id::ReductionEdit), "100");
}

TEST(MainWindow, ResetRestoresLoadedBitratesWithoutRebalancing)
{
    Project project = twoSegments();
    project.segment(0).vbrMode = false; // OPV: no cell tweaks, even after a reset
    Harness h(std::move(project));
    h.tick(false);
    h.type(4000);
    h.window.resetClicked();
    EXPECT_EQ(bitrates(h.project.segment(0)), (std::vector<int>{4000, 6000}));
    EXPECT_EQ(bitrates(h.project.segment(1)), (std::vector<int>{5000}));
    EXPECT_EQ(h.text(Id::BitrateEdit), "5000");
    EXPECT_TRUE(h.window.isEnabled(Id::BitrateEdit));
    EXPECT_FALSE(h.window.isEnabled(Id::TweakCellsButton));

    // Reset shows the segment's share without hiding a tiny one as 0.
    Harness tiny(ProjectBuilder().segment().cell(11, 500).segment().cell(100000, 9000).build());
    tiny.hide(false);
    EXPECT_EQ(tiny.text(Id::SegmentSizeEdit), "0");
    tiny.window.resetClicked();
    EXPECT_NEAR(tiny.number(Id::SegmentSizeEdit), 5500.0 / 900005500.0 * 100.0, 1e-7);
}

TEST(MainWindow, VbrAndOpvSetTheModeCodeOfTheCceType)
{
    struct Case {
        int cceType, vbrType, opvType;
    };
    const Case cases[] = {{0, 2, 0}, {1, 4, 2}, {-1, 16, 4}, {3, 16, 4}, {2, 0, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cceType);
        Harness h(twoSegments(c.cceType));
        h.opvForSmall(true); // the segment has only 2000 frames
        Segment &segment = h.project.segment(0);
        h.window.opvClicked();
        if (c.cceType == 2) { // never switchable
            EXPECT_TRUE(segment.vbrMode);
            continue;
        }
        EXPECT_TRUE(segment.replanned);
        EXPECT_EQ(segment.settings.videoType, c.opvType);
        EXPECT_TRUE(h.window.isEnabled(Id::CustomQButton));
        h.window.vbrClicked();
        EXPECT_FALSE(segment.replanned);
        EXPECT_EQ(segment.settings.videoType, c.vbrType);
        EXPECT_FALSE(h.window.isEnabled(Id::CustomQButton));
    }
}

TEST(MainWindow, SaveAsksAboveOneHundredPointZeroNinePercent)
{
    struct Case {
        int bitrate; // of the one cell, loaded at 10000
        std::deque<bool> answers;
        std::size_t questions;
        bool saved;
    };
    const Case cases[] = {{10009, {}, 0, true}, {10010, {false}, 1, false}, {10010, {true}, 1, true}};
    for (const Case &c : cases) {
        TempFolder folder;
        ProjectFilesBuilder files;
        files.add(1, 1, 1, 10000, 10000);
        const std::string inf = files.writeTo(folder);
        Harness h;
        ASSERT_TRUE(h.window.loadFrom(inf));
        h.project.segment(0).cells[0].bitrate = c.bitrate;
        h.desktop.answers = c.answers;
        EXPECT_EQ(h.window.saveClicked([] { return true; }), c.saved) << c.bitrate;
        EXPECT_EQ(h.desktop.questions.size(), c.questions) << c.bitrate;
        EXPECT_EQ(fileExists(inf + ".bak"), c.saved);
        EXPECT_EQ(h.desktop.lastMessage(), c.saved ? "Settings Saved" : "");
    }
}

TEST(MainWindow, ChildWindowsAreFollowedByTheWindowsOwnSteps)
{
    Harness h(twoSegments());
    h.project.setOutputSizePercent(90.0);
    h.window.afterGlobalOptions();
    EXPECT_NEAR(h.number(Id::TotalSizeEdit), 90.0, 0.02);
    EXPECT_EQ(h.text(Id::BitrateEdit), std::to_string(h.project.segment(0).averageBitrate()));

    // Link Vob-IDs runs on the selected row; its segment is then merged away.
    h.window.rowSelected(1);
    h.project.mergeSegments(0, 1);
    h.window.afterLinkVobIds();
    EXPECT_EQ(h.window.rowMap(), (std::vector<int>{0}));
    EXPECT_EQ(h.window.currentSegment(), 0);
    EXPECT_FALSE(h.window.isEnabled(Id::LinkButton));
}

TEST(MainWindow, DegenerateProjectsShowZeroAndIgnoreCommands)
{
    Project zeroTarget = twoSegments();
    zeroTarget.targetTotalSize = 0;
    struct Case {
        const char *name;
        Project project;
    } cases[] = {
        {"empty", Project()},
        {"loaded bitrates all 0", ProjectBuilder().segment().cell(1000, 0).cell(500, 0).build()},
        {"target 0", zeroTarget},
        {"no frames", ProjectBuilder().segment().cell(0, 4000).build()},
    };
    for (Case &c : cases) {
        Harness h(std::move(c.project));
        MainWindow &w = h.window;
        w.rowSelected(0);
        h.tick(false);
        h.type(4000);
        h.slide(0);
        h.tick(true);
        w.opvClicked();
        w.resetClicked();
        h.project.setOutputSizePercent(150.0);
        w.afterGlobalOptions();
        w.afterTweakCells();
        for (Id figure : {Id::TotalSizeEdit, Id::SegmentSizeEdit, Id::ReductionEdit})
            EXPECT_TRUE(h.text(figure).empty() || std::isfinite(h.number(figure))) << c.name << " " << h.text(figure);
        EXPECT_TRUE(h.sliderPosition() >= 0 && h.sliderPosition() <= 10000) << c.name;
        for (const Segment &segment : h.project.segments)
            for (const Cell &cell : segment.cells)
                EXPECT_GE(cell.bitrate, 0) << c.name;
    }
}

TEST(MainWindow, BeforeALoadOnlyLoadExitAndAboutAreUsableAndNoFigureShows)
{
    Harness h;
    const ControlTable table = h.window.controls();
    std::vector<std::string> usable;
    for (const Control &c : table.all()) {
        if (c.enabled && (c.kind == ControlKind::Button || c.kind == ControlKind::CheckBox
                          || c.kind == ControlKind::RadioButton || c.kind == ControlKind::Slider
                          || (c.kind == ControlKind::Edit && !c.readOnly)))
            usable.push_back(c.text);
        // Read-only figures are empty rather than "0" while there is nothing to measure.
        if (c.kind == ControlKind::Edit) {
            EXPECT_EQ(c.text, "") << c.id;
        }
    }
    EXPECT_EQ(usable, (std::vector<std::string>{"&Load RB Settings", "E&xit", "?"}));
    EXPECT_TRUE(table.at(Id::HideBox).checked);
    EXPECT_EQ(table.at(Id::PropertiesGroup).text, "Properties");
    EXPECT_EQ(table.at(Id::TotalSizeLabel).text, "Total Video Size %");
}

TEST(MainWindow, ExitAsksBeforeLosingUnsavedWork)
{
    struct Case {
        const char *name;
        bool scriptsModified;
        std::function<void(Harness &)> change;
        const char *question; // nullptr: the window closes without asking
    };
    const auto none = [](Harness &) {};
    const Case cases[] = {
        {"nothing changed", false, none, nullptr},
        {"Autosized cleared only: no bitrate moved", false, [](Harness &h) { h.tick(false); }, nullptr},
        {"a typed bitrate", false, [](Harness &h) { h.tick(false); h.type(4000); }, MainWindow::unsavedPlanQuestion},
        {"a switch to OPV", false, [](Harness &h) { h.opvForSmall(true); h.window.opvClicked(); },
         MainWindow::unsavedPlanQuestion},
        {"switched to OPV and back", false,
         [](Harness &h) { h.opvForSmall(true); h.window.opvClicked(); h.window.vbrClicked(); }, nullptr},
        {"two segments linked", false, [](Harness &h) { h.project.mergeSegments(0, 1); h.window.afterLinkVobIds(); },
         MainWindow::unsavedPlanQuestion},
        {"scripts edited", true, none, MainWindow::exitQuestion},
        {"scripts edited and a bitrate typed", true, [](Harness &h) { h.tick(false); h.type(4000); },
         MainWindow::exitQuestion},
    };
    for (const Case &c : cases) {
        for (bool answer : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (answer ? ", Yes" : ", No"));
            Project project = twoSegments();
            for (Segment &segment : project.segments)
                segment.settings.videoType = 16; // VBR with CCE type 3, as loaded
            project.scriptsModified = c.scriptsModified;
            Harness h(std::move(project));
            c.change(h);
            h.desktop.answers = {answer};
            EXPECT_EQ(h.window.exitRequested(), c.question ? answer : true);
            ASSERT_EQ(h.desktop.questions.size(), c.question ? 1u : 0u);
            if (c.question) {
                EXPECT_EQ(h.desktop.questions[0].text, c.question);
            }
        }
    }
}

TEST(MainWindow, ASavedOrReloadedPlanLeavesWithoutAQuestion)
{
    TempFolder folder;
    ProjectFilesBuilder files;
    files.add(1, 1, 1, 4000, 5000);
    files.add(1, 2, 1, 4000, 3000);
    const std::string inf = files.writeTo(folder);
    Harness h;
    ASSERT_TRUE(h.window.loadFrom(inf));
    h.tick(false);
    h.type(4000);
    EXPECT_TRUE(h.window.planChanged());
    ASSERT_TRUE(h.window.saveClicked([] { return true; }));
    EXPECT_FALSE(h.window.planChanged());
    h.type(3000);
    ASSERT_TRUE(h.window.loadFrom(inf));
    EXPECT_TRUE(h.window.exitRequested());
    EXPECT_TRUE(h.desktop.questions.empty());
}
