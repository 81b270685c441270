#include "app/MainWindow.h"

#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/ProjectBuilder.h"
#include "support/ProjectFilesBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

using Control = MainWindow::Control;

namespace {

// A window over a project, with the fake desktop it talks to.
struct Harness {
    explicit Harness(Project p = Project()) : project(std::move(p)), window(project, desktop, settings) {}
    Project project;
    FakeDesktop desktop;
    AppSettings settings;
    MainWindow window;
};

// Two segments of one title set: a 5000 kbit/s average over two cells, and a single cell.
Project twoSegments()
{
    Project project = ProjectBuilder()
                          .segment(1)
                          .cell(1000, 4000, 50.0f)
                          .cell(1000, 6000, 50.0f)
                          .segment(1)
                          .cell(2000, 5000, 50.0f)
                          .build();
    project.encoderMode = 1;
    project.cceType = 3;
    for (Segment &segment : project.segments)
        segment.vbrMode = true;
    return project;
}

std::vector<int> bitrates(const Segment &segment)
{
    std::vector<int> result;
    for (const Cell &cell : segment.cells)
        result.push_back(cell.bitrate);
    return result;
}

const Control segmentControls[] = {Control::AutosizedBox, Control::BitrateEdit, Control::ReductionSlider,
                                   Control::TweakCellsButton, Control::VbrRadio,   Control::OpvRadio,
                                   Control::CustomQButton,    Control::PreviewButton, Control::ScriptEditorButton,
                                   Control::SettingsButton,   Control::LinkButton};

} // namespace

TEST(MainWindow, BeforeAnyProjectOnlyLoadExitAboutAndTheReadOnlyFieldsWork)
{
    Harness h;
    for (Control control : MainWindow::controls()) {
        const bool expected = control == Control::LoadButton || control == Control::ExitButton
                              || control == Control::AboutButton || control == Control::SegmentList
                              || control == Control::TotalSizeEdit || control == Control::ReductionEdit
                              || control == Control::DurationEdit || control == Control::SegmentSizeEdit
                              || control == Control::StatusEdit;
        EXPECT_EQ(h.window.isEnabled(control), expected) << int(control);
    }
    EXPECT_TRUE(h.window.hideInsignificant);
    EXPECT_FALSE(h.window.opvForSmall);
    EXPECT_EQ(h.window.selectedRow, -1);
    EXPECT_EQ(h.window.caption(Control::SettingsButton), "&CCE Settings");
}

TEST(MainWindow, SettingsButtonFollowsTheEncoderMode)
{
    struct Case {
        int encoderMode;
        int cceType;
        bool enabled;
        const char *caption;
        MainWindow::SettingsDialog dialog;
    };
    using D = MainWindow::SettingsDialog;
    const Case cases[] = {
        {1, 0, true, "&CCE Settings", D::CceSp},   {1, 1, true, "&CCE Settings", D::CceSp},
        {1, -1, true, "&CCE Settings", D::CceSp},  {1, 2, true, "&CCE Settings", D::Generic},
        {1, 3, true, "&CCE Settings", D::Cce270},  {3, 3, true, "PRO Settings", D::Generic},
        {3, 0, true, "PRO Settings", D::Generic},  {0, 3, false, "&CCE Settings", D::None},
        {2, 3, false, "&CCE Settings", D::None},
    };
    for (const Case &c : cases) {
        Project project = twoSegments();
        project.encoderMode = c.encoderMode;
        project.cceType = c.cceType;
        Harness h(std::move(project));
        EXPECT_EQ(h.window.isEnabled(Control::SettingsButton), c.enabled) << c.encoderMode << "/" << c.cceType;
        EXPECT_EQ(h.window.caption(Control::SettingsButton), c.caption) << c.encoderMode;
        EXPECT_EQ(h.window.settingsDialog(), c.dialog) << c.encoderMode << "/" << c.cceType;
    }
}

TEST(MainWindow, LoadAsksForTheInfThenListsAndSelectsTheFirstSegment)
{
    TempFolder folder;
    ProjectFilesBuilder files;
    files.add(1, 1, 1, 4000, 5000);
    files.add(1, 2, 1, 4000, 3000);
    const std::string inf = files.writeTo(folder);

    Harness h;
    EXPECT_FALSE(h.window.load()); // cancelled: nothing changes
    ASSERT_EQ(h.desktop.choosers.size(), 1u);
    EXPECT_EQ(h.desktop.choosers[0].title, "Open Rebuilder.inf ...");
    EXPECT_EQ(h.desktop.choosers[0].defaultName, "REBUILDER.INF");
    ASSERT_EQ(h.desktop.choosers[0].filters.size(), 1u);
    EXPECT_EQ(h.desktop.choosers[0].filters[0].pattern, "REBUILDER.INF");
    EXPECT_FALSE(h.window.isEnabled(Control::SaveButton));

    h.desktop.chosenFiles.push_back(inf);
    ASSERT_TRUE(h.window.load());
    EXPECT_EQ(h.window.rows, (std::vector<std::string>{"VTS  1 - Vob-ID   1", "VTS  1 - Vob-ID   2"}));
    EXPECT_EQ(h.window.rowMap, (std::vector<int>{0, 1}));
    EXPECT_EQ(h.window.selectedRow, 0);
    EXPECT_EQ(h.window.currentSegment, 0);
    EXPECT_EQ(h.window.bitrateValue, 5000u);
    for (Control control : {Control::ResetButton, Control::SaveButton, Control::PreviewButton, Control::HideBox,
                            Control::SettingsButton, Control::ScriptEditorButton, Control::GlobalOptionsButton,
                            Control::OpvForSmallBox, Control::LinkButton})
        EXPECT_TRUE(h.window.isEnabled(control)) << int(control);
    EXPECT_FALSE(h.window.isEnabled(Control::TweakedBox));
}

TEST(MainWindow, AFailedLoadLeavesNoRowPointingAtAVanishedSegment)
{
    Harness h(twoSegments());
    ASSERT_EQ(h.window.rows.size(), 2u);
    h.window.selectRow(1);

    EXPECT_FALSE(h.window.loadFrom("/nonexistent/Rebuilder.INF"));
    EXPECT_TRUE(h.window.rows.empty());
    EXPECT_TRUE(h.window.rowMap.empty());
    EXPECT_EQ(h.window.selectedRow, -1);
    EXPECT_EQ(h.window.currentSegment, -1);
    EXPECT_EQ(h.window.selectedSegment(), nullptr);
    for (Control control : segmentControls)
        EXPECT_FALSE(h.window.isEnabled(control)) << int(control);
    for (Control control : {Control::ResetButton, Control::SaveButton, Control::HideBox,
                            Control::GlobalOptionsButton, Control::OpvForSmallBox})
        EXPECT_FALSE(h.window.isEnabled(control)) << int(control);
    EXPECT_EQ(h.window.bitrateValue, 0u);
    EXPECT_EQ(h.window.statusText, "");

    // Nothing the user can still reach touches the vanished segments.
    h.window.selectRow(1);
    h.window.bitrateValue = 3000;
    h.window.bitrateTyped();
    h.window.vbrClicked();
    h.window.resetBitrates();
    EXPECT_FALSE(h.window.save(nullptr));
    EXPECT_EQ(h.window.currentSegment, -1);
}

TEST(MainWindow, ListHidesInsignificantSegmentsAndEnablesLinkForTwoRows)
{
    struct Case {
        bool hide;
        std::vector<int> rowMap;
        bool linkEnabled;
    };
    // Segment 1 is 0.05 % of the target: hidden while hiding is on.
    const Case cases[] = {
        {true, {0}, false},
        {false, {0, 1}, true},
    };
    for (const Case &c : cases) {
        Project project = ProjectBuilder().segment().cell(19990, 5000).segment().cell(100, 500).build();
        Harness h(std::move(project));
        h.window.hideInsignificant = c.hide;
        h.window.hideClicked();
        EXPECT_EQ(h.window.rowMap, c.rowMap) << c.hide;
        EXPECT_EQ(h.window.rows.size(), c.rowMap.size());
        EXPECT_EQ(h.window.isEnabled(Control::LinkButton), c.linkEnabled) << c.hide;
        EXPECT_EQ(h.window.selectedRow, 0);
    }
}

TEST(MainWindow, AThousandEqualSegmentsAreAllHiddenWithoutSelectingAMissingRow)
{
    // 1001 segments of equal size: each is below 0.1 % of the target.
    ProjectBuilder builder;
    for (int i = 0; i < 1001; ++i)
        builder.segment().cell(100, 4000);
    Harness h(builder.build());
    EXPECT_TRUE(h.window.rows.empty());
    EXPECT_EQ(h.window.currentSegment, -1);
    for (Control control : segmentControls)
        EXPECT_FALSE(h.window.isEnabled(control)) << int(control);
    EXPECT_TRUE(h.window.isEnabled(Control::HideBox));
    h.window.bitrateTyped(); // no segment to act on
    h.window.previewClicked();

    h.window.hideInsignificant = false;
    h.window.hideClicked();
    ASSERT_EQ(h.window.rows.size(), 1001u);
    // From 1000 segments on every row takes the 4-digit form, whatever the Vob-ID.
    EXPECT_EQ(h.window.rows[0], "VTS  1 - Vob-ID    2");
    EXPECT_EQ(h.window.currentSegment, 0);
    EXPECT_TRUE(h.window.isEnabled(Control::PreviewButton));
}

TEST(MainWindow, SelectionRulesDecideTheSegmentControls)
{
    struct Case {
        const char *name;
        int frames; // one cell; 10 or fewer is not significant
        bool vbr;
        bool autosized;
        int cceType;
        bool opvForSmall;
        bool tweaked;
        // expected
        bool autosizedEnabled;
        bool bitrateEnabled; // and the slider
        bool tweakEnabled;
        bool modeEnabled;    // VBR and OPV
        bool customQ;
        bool tweakedBox;
    };
    const Case cases[] = {
        {"large autosized VBR", 4000, true, true, 3, false, false, true, false, false, true, false, false},
        {"large fixed VBR", 4000, true, false, 3, false, true, true, true, true, true, false, true},
        {"large fixed OPV", 4000, false, false, 3, false, true, true, true, false, true, true, false},
        {"small VBR", 3000, true, true, 3, false, false, true, false, false, false, false, false},
        {"small VBR, OPV for small", 3000, true, true, 3, true, false, true, false, false, true, false, false},
        {"small OPV", 3000, false, true, 3, false, false, true, false, false, true, true, false},
        {"3050 frames is small", 3050, true, true, 3, false, false, true, false, false, false, false, false},
        {"3051 frames is not", 3051, true, true, 3, false, false, true, false, false, true, false, false},
        {"CCE type 2", 4000, false, true, 2, true, false, true, false, false, false, false, false},
        {"no significant cell", 10, false, true, 3, true, false, false, false, false, false, false, false},
    };
    for (const Case &c : cases) {
        // A big second segment would hide a 10-frame one; keep the subject the larger.
        Project project = ProjectBuilder().segment().cell(c.frames, 9000).segment().cell(20, 500).build();
        project.encoderMode = 1;
        project.cceType = c.cceType;
        Segment &subject = project.segment(0);
        subject.vbrMode = c.vbr;
        subject.autosized = c.autosized;
        subject.tweaked = c.tweaked;
        Harness h(std::move(project));
        h.window.opvForSmall = c.opvForSmall;
        h.window.opvForSmallClicked();
        ASSERT_EQ(h.window.currentSegment, 0) << c.name;
        EXPECT_EQ(h.window.isEnabled(Control::AutosizedBox), c.autosizedEnabled) << c.name;
        EXPECT_EQ(h.window.autosizedBox, c.autosized) << c.name;
        EXPECT_EQ(h.window.isEnabled(Control::BitrateEdit), c.bitrateEnabled) << c.name;
        EXPECT_EQ(h.window.isEnabled(Control::ReductionSlider), c.bitrateEnabled) << c.name;
        EXPECT_EQ(h.window.isEnabled(Control::TweakCellsButton), c.tweakEnabled) << c.name;
        EXPECT_EQ(h.window.isEnabled(Control::VbrRadio), c.modeEnabled) << c.name;
        EXPECT_EQ(h.window.isEnabled(Control::OpvRadio), c.modeEnabled) << c.name;
        EXPECT_EQ(h.window.isEnabled(Control::CustomQButton), c.customQ) << c.name;
        EXPECT_EQ(h.window.tweakedBox, c.tweakedBox) << c.name;
        EXPECT_EQ(h.window.vbrChecked, c.vbr) << c.name;
        EXPECT_EQ(h.window.opvChecked, !c.vbr) << c.name;
    }
}

TEST(MainWindow, FiguresOfTheSelectedSegmentAndTheProject)
{
    // 1000 frames at 4000 kbit/s and 25 fps: 9765 sectors; with 100000 of overhead 109765
    // sectors, 2 x 109765 x 0.0009892578125 = 217.17 MB.
    Project project = ProjectBuilder().segment().cell(1000, 4000, 40.0f).overhead(100000).build();
    Harness h(std::move(project));
    EXPECT_EQ(h.window.statusText, "DVD Estimated Size: 217 MB  -   RB TargetSectors 109765");
    EXPECT_EQ(h.window.bitrateValue, 4000u);
    EXPECT_FLOAT_EQ(h.window.totalSizePercent, 100.0f);
    EXPECT_FLOAT_EQ(h.window.segmentSizePercent, 100.0f);
    EXPECT_DOUBLE_EQ(h.window.reductionValue, 40.0);
    EXPECT_EQ(h.window.durationValue, "00:00.40");
    // Floor 500 of 4000 at 40 %: minReductionPercent 5, so the slider spans 5..100.
    EXPECT_DOUBLE_EQ(h.window.sliderRange.sliderMin, 5.0);
    EXPECT_DOUBLE_EQ(h.window.sliderRange.sliderMax, 100.0);
    EXPECT_EQ(h.window.sliderPosition, 3684); // (40 - 5) x 10000 / 95, truncated
    EXPECT_EQ(h.window.reductionText(), "40");
    EXPECT_EQ(h.window.totalSizeText(), "100");

    Harness noOverhead(ProjectBuilder().segment().cell(1000, 4000).build());
    EXPECT_EQ(noOverhead.window.statusText, "");
}

TEST(MainWindow, NumberTextsUseSixAndFifteenSignificantDigits)
{
    EXPECT_EQ(MainWindow::formatFloat(100.09f), "100.09");
    EXPECT_EQ(MainWindow::formatFloat(12.3456789f), "12.3457");
    EXPECT_EQ(MainWindow::formatFloat(0.0f), "0");
    EXPECT_EQ(MainWindow::formatDouble(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(MainWindow::formatDouble(62.5), "62.5");
}

TEST(MainWindow, TypedBitrateIsReadAsAnUnsignedInteger)
{
    struct Case {
        const char *text;
        bool accepted;
        unsigned value;
    };
    const Case cases[] = {
        {"4000", true, 4000},         {" 4000 ", true, 4000},     {"0", true, 0},
        {"4294967295", true, 4294967295u}, {"4294967296", false, 0}, {"-1", false, 0},
        {"", false, 0},               {"12a", false, 0},          {"4.5", false, 0},
    };
    for (const Case &c : cases) {
        Harness h(twoSegments());
        h.window.bitrateValue = 77;
        EXPECT_EQ(h.window.readBitrateText(c.text), c.accepted) << c.text;
        EXPECT_EQ(h.window.bitrateValue, c.accepted ? c.value : 77u) << c.text;
        EXPECT_EQ(h.desktop.messages.size(), c.accepted ? 0u : 1u) << c.text;
        if (!c.accepted) {
            EXPECT_EQ(h.desktop.lastMessage(), "Please enter a positive integer.");
        }
    }
}

TEST(MainWindow, TypedBitrateSetsTheSegmentAndRebalancesTheAutosizedOnes)
{
    Harness h(twoSegments());
    h.window.autosizedBox = false;
    h.window.autosizedClicked();
    EXPECT_FALSE(h.project.segment(0).autosized);
    EXPECT_FALSE(h.project.segment(0).replanned); // unticking changes no bitrate
    EXPECT_TRUE(h.window.isEnabled(Control::BitrateEdit));

    // Typing the current average does nothing.
    h.window.bitrateValue = 5000;
    h.window.bitrateTyped();
    EXPECT_FALSE(h.project.segment(0).replanned);

    // 4000 asks the cells for 4001 (x 0.8002): 3200 and 4801, an average of 4000. The other
    // segment takes what was freed: ceil(5000 x 1.1999) = 6000.
    h.window.bitrateValue = 4000;
    h.window.bitrateTyped();
    EXPECT_EQ(bitrates(h.project.segment(0)), (std::vector<int>{3200, 4801}));
    EXPECT_EQ(h.project.segment(1).averageBitrate(), 6000);
    EXPECT_EQ(h.window.bitrateValue, 4000u);
    EXPECT_TRUE(h.project.segment(0).replanned);
    EXPECT_EQ(h.window.sliderPosition, h.window.sliderRange.position(h.window.reductionValue));
}

TEST(MainWindow, AHugeTypedBitrateCapsTheCellsInsteadOfWrappingToTheFloor)
{
    Harness h(twoSegments());
    h.window.autosizedBox = false;
    h.window.autosizedClicked();
    h.window.bitrateValue = 4294967295u;
    h.window.bitrateTyped();
    // At 50 % the cells can double at most: 8000 and 12000.
    EXPECT_EQ(bitrates(h.project.segment(0)), (std::vector<int>{8000, 12000}));
}

TEST(MainWindow, SliderReplansOnlyAFixedSegmentAndOnlyForARealMove)
{
    Harness h(twoSegments());
    // Range 5..100 at 50 %: position 4736, which maps back to 49.992.
    EXPECT_EQ(h.window.sliderPosition, 4736);
    // Autosized: the slider does nothing.
    h.window.sliderPosition = 10000;
    h.window.sliderMoved();
    EXPECT_FALSE(h.project.segment(0).replanned);

    h.window.autosizedBox = false;
    h.window.autosizedClicked();
    // 49.992 is within 0.01 of where the segment is: no move.
    h.window.sliderPosition = 4736;
    h.window.sliderMoved();
    EXPECT_FALSE(h.project.segment(0).replanned);

    h.window.sliderPosition = 10000;
    h.window.sliderMoved();
    EXPECT_EQ(bitrates(h.project.segment(0)), (std::vector<int>{8000, 12000}));
    EXPECT_DOUBLE_EQ(h.window.reductionValue, 100.0);
    EXPECT_EQ(h.window.sliderPosition, 10000);
    // The other segment pays down to its floor.
    EXPECT_EQ(bitrates(h.project.segment(1)), (std::vector<int>{500}));
}

TEST(MainWindow, TickingAutosizedAgainRebalances)
{
    Harness h(twoSegments());
    h.window.autosizedBox = false;
    h.window.autosizedClicked();
    h.window.bitrateValue = 4000;
    h.window.bitrateTyped();
    h.project.segment(1).autosized = false;
    h.project.segment(0).cells[0].bitrate = 1000; // far below the target now

    h.window.autosizedBox = true;
    h.window.autosizedClicked();
    EXPECT_FALSE(h.window.isEnabled(Control::BitrateEdit));
    EXPECT_NEAR(double(h.project.currentTotalSize()), double(h.project.targetTotalSize),
                double(h.project.targetTotalSize) / 5000.0);
}

TEST(MainWindow, ResetRestoresLoadedBitratesWithoutRebalancing)
{
    Project project = twoSegments();
    project.segment(0).vbrMode = false; // OPV: no cell tweaks, even after a reset
    Harness h(std::move(project));
    h.window.autosizedBox = false;
    h.window.autosizedClicked();
    h.window.bitrateValue = 4000;
    h.window.bitrateTyped();
    ASSERT_EQ(h.project.segment(1).averageBitrate(), 6000);

    h.window.resetBitrates();
    EXPECT_EQ(bitrates(h.project.segment(0)), (std::vector<int>{4000, 6000}));
    EXPECT_EQ(bitrates(h.project.segment(1)), (std::vector<int>{5000}));
    EXPECT_EQ(h.window.bitrateValue, 5000u);
    EXPECT_FALSE(h.project.segment(0).autosized);
    EXPECT_TRUE(h.project.segment(0).replanned); // a reset keeps what the save must predict
    EXPECT_TRUE(h.window.isEnabled(Control::BitrateEdit));
    EXPECT_FALSE(h.window.isEnabled(Control::TweakCellsButton));
    EXPECT_FLOAT_EQ(h.window.totalSizePercent, 100.0f);
}

TEST(MainWindow, ResetShowsTheSegmentPercentWithoutTheSmallValueClamp)
{
    Project project = ProjectBuilder().segment().cell(11, 500).segment().cell(100000, 9000).build();
    Harness h(std::move(project));
    h.window.hideInsignificant = false;
    h.window.hideClicked();
    EXPECT_EQ(h.window.segmentSizePercent, 0.0f); // 0.0006 % shows as 0
    h.window.resetBitrates();
    EXPECT_NEAR(h.window.segmentSizePercent, 5500.0 / 900005500.0 * 100.0, 1e-7);
}

TEST(MainWindow, VbrAndOpvSetTheModeCodeOfTheCceType)
{
    struct Case {
        int cceType;
        int vbrType;
        int opvType;
    };
    const Case cases[] = {{0, 2, 0}, {1, 4, 2}, {-1, 16, 4}, {3, 16, 4}};
    for (const Case &c : cases) {
        Project project = twoSegments();
        project.cceType = c.cceType;
        Harness h(std::move(project));
        h.window.opvForSmall = true; // the segment has only 2000 frames
        h.window.opvForSmallClicked();
        Segment &segment = h.project.segment(0);
        h.window.opvClicked();
        EXPECT_FALSE(segment.vbrMode);
        EXPECT_TRUE(segment.replanned);
        EXPECT_EQ(segment.settings.videoType, c.opvType) << c.cceType;
        EXPECT_TRUE(h.window.opvChecked);
        EXPECT_TRUE(h.window.isEnabled(Control::CustomQButton));
        h.window.vbrClicked();
        EXPECT_TRUE(segment.vbrMode);
        EXPECT_FALSE(segment.replanned);
        EXPECT_EQ(segment.settings.videoType, c.vbrType) << c.cceType;
        EXPECT_FALSE(h.window.isEnabled(Control::CustomQButton));
    }

    Project project = twoSegments();
    project.cceType = 2;
    Harness h(std::move(project));
    h.window.opvForSmall = true;
    h.window.opvForSmallClicked();
    h.window.opvClicked(); // disabled with CCE type 2
    EXPECT_TRUE(h.project.segment(0).vbrMode);
}

TEST(MainWindow, ExitAsksOnlyAfterScriptChanges)
{
    struct Case {
        bool scriptsModified;
        std::deque<bool> answers;
        bool mayClose;
        std::size_t questions;
    };
    const Case cases[] = {{false, {}, true, 0}, {true, {false}, false, 1}, {true, {true}, true, 1}};
    for (const Case &c : cases) {
        Harness h(twoSegments());
        h.project.scriptsModified = c.scriptsModified;
        h.desktop.answers = c.answers;
        EXPECT_EQ(h.window.exitRequested(), c.mayClose);
        ASSERT_EQ(h.desktop.questions.size(), c.questions);
        if (c.questions) {
            EXPECT_EQ(h.desktop.questions[0].text, MainWindow::exitQuestion);
        }
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
    const Case cases[] = {
        {10009, {}, 0, true},      // 100.09 %: no question
        {10010, {false}, 1, false}, // 100.1 %: asked, No
        {10010, {true}, 1, true},
    };
    for (const Case &c : cases) {
        TempFolder folder;
        ProjectFilesBuilder files;
        files.add(1, 1, 1, 10000, 10000);
        const std::string inf = files.writeTo(folder);
        Harness h;
        ASSERT_TRUE(h.window.loadFrom(inf));
        h.project.segment(0).cells[0].bitrate = c.bitrate;
        h.desktop.answers = c.answers;
        EXPECT_EQ(h.window.save([] { return true; }), c.saved) << c.bitrate;
        ASSERT_EQ(h.desktop.questions.size(), c.questions);
        if (c.questions) {
            EXPECT_EQ(h.desktop.questions[0].text, MainWindow::oversizeQuestion);
        }
        EXPECT_EQ(fileExists(inf + ".bak"), c.saved);
        EXPECT_EQ(h.desktop.lastMessage(), c.saved ? "Settings Saved" : "");
    }
}

TEST(MainWindow, AFailedSaveDoesNotSaySaved)
{
    TempFolder folder;
    ProjectFilesBuilder files;
    files.add(1, 1, 1, 10000, 10000);
    const std::string inf = files.writeTo(folder);
    Harness h;
    ASSERT_TRUE(h.window.loadFrom(inf));
    std::remove(folder.file("Rebuilder.ECL").c_str());
    EXPECT_FALSE(h.window.save(nullptr));
    for (const std::string &text : h.desktop.messageTexts())
        EXPECT_NE(text, "Settings Saved");
}

TEST(MainWindow, AfterGlobalOptionsRebalancesTowardsTheNewTarget)
{
    Harness h(twoSegments());
    h.project.setOutputSizePercent(90.0);
    h.window.afterGlobalOptions();
    EXPECT_NEAR(double(h.project.currentTotalSize()), 0.9 * double(h.project.initialTotalSize),
                double(h.project.targetTotalSize) / 5000.0);
    EXPECT_NEAR(h.window.totalSizePercent, 90.0f, 0.02f);
    EXPECT_EQ(h.window.bitrateValue, unsigned(h.project.segment(0).averageBitrate()));
}

TEST(MainWindow, AfterTweakCellsRebalancesAndRepositionsTheSlider)
{
    Harness h(twoSegments());
    h.window.autosizedBox = false;
    h.window.autosizedClicked();
    Segment &segment = h.project.segment(0);
    segment.cells[0].tweaked = true;
    segment.tweakCell(0, 7000, h.project.targetTotalSize - h.project.currentTotalSize());
    h.window.afterTweakCells();
    EXPECT_TRUE(h.window.tweakedBox);
    EXPECT_EQ(h.window.bitrateValue, unsigned(segment.averageBitrate()));
    EXPECT_EQ(h.window.sliderPosition, h.window.sliderRange.position(segment.reductionPercent()));
    EXPECT_NEAR(double(h.project.currentTotalSize()), double(h.project.targetTotalSize),
                double(h.project.targetTotalSize) / 5000.0);
}

TEST(MainWindow, AfterLinkingTheListIsRebuiltOnTheRemainingSegments)
{
    Project project = ProjectBuilder()
                          .segment(1).cell(1000, 4000)
                          .segment(1).cell(1000, 4000)
                          .segment(1).cell(1000, 4000)
                          .build();
    Harness h(std::move(project));
    h.window.selectRow(2);
    h.project.mergeSegments(0, 2);
    h.project.mergeSegments(0, 1);
    h.window.afterLinkVobIds();
    EXPECT_EQ(h.window.rowMap, (std::vector<int>{0}));
    EXPECT_EQ(h.window.currentSegment, 0);
    EXPECT_FALSE(h.window.isEnabled(Control::LinkButton));
    EXPECT_EQ(h.window.bitrateValue, 4000u);
}

TEST(MainWindow, PreviewHandsTheCurrentSegmentToTheHook)
{
    Harness h(twoSegments());
    std::vector<int> previewed;
    h.window.previewHook = [&](int index) { previewed.push_back(index); };
    h.window.selectRow(1);
    h.window.previewClicked();
    EXPECT_EQ(previewed, (std::vector<int>{1}));
}

TEST(MainWindow, DegenerateProjectsShowZeroAndIgnoreCommands)
{
    struct Case {
        const char *name;
        Project project;
    };
    Project zeroBitrates = ProjectBuilder().segment().cell(1000, 0).cell(500, 0).build();
    Project zeroTarget = twoSegments();
    zeroTarget.targetTotalSize = 0;
    Project noFrames = ProjectBuilder().segment().cell(0, 4000).build();
    Case cases[] = {
        {"empty", Project()},
        {"loaded bitrates all 0", zeroBitrates},
        {"target 0", zeroTarget},
        {"no frames", noFrames},
    };
    for (Case &c : cases) {
        Harness h(std::move(c.project));
        MainWindow &w = h.window;
        const auto allFinite = [&] {
            return std::isfinite(w.totalSizePercent) && std::isfinite(w.segmentSizePercent)
                   && std::isfinite(w.reductionValue) && w.sliderPosition >= 0 && w.sliderPosition <= 10000;
        };
        EXPECT_TRUE(allFinite()) << c.name;
        w.selectRow(0);
        w.autosizedBox = false;
        w.autosizedClicked();
        w.bitrateValue = 4000;
        w.bitrateTyped();
        w.sliderPosition = 0;
        w.sliderMoved();
        w.reductionChosen(80.0);
        w.autosizedBox = true;
        w.autosizedClicked();
        w.opvClicked();
        w.vbrClicked();
        w.resetBitrates();
        h.project.setOutputSizePercent(150.0);
        w.afterGlobalOptions();
        w.afterTweakCells();
        w.afterLinkVobIds();
        EXPECT_TRUE(allFinite()) << c.name;
        for (const Segment &segment : h.project.segments)
            for (const Cell &cell : segment.cells)
                EXPECT_GE(cell.bitrate, 0) << c.name;
    }
    // With nothing loaded the figures are all 0.
    Harness empty;
    EXPECT_EQ(empty.window.totalSizePercent, 0.0f);
    EXPECT_EQ(empty.window.bitrateValue, 0u);
    EXPECT_EQ(empty.window.statusText, "");
}
