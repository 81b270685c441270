#pragma once

// The main window without its widgets: its controls as one table derived from the project and
// the window's own fields, and one command per user action, carrying the action's input.
//
// How a front-end uses it:
//   1. Lay out one widget per control id and render controls() into them, after every command.
//   2. Turn each user action into its command: rowSelected(row), autosizedClicked(checked),
//      bitrateTyped(text) when the bitrate field loses focus, sliderMoved(position), ...
//   3. A command that opens another window is split around it: the front-end runs the child
//      window modally on currentSegment() (or on the project), then calls the matching
//      after...() command here, which does what the window does when the child closes.
//      settingsDialog() says which encoder settings dialog the settings button opens.
//   4. Save takes the prediction step as a callback; a front-end without the prediction
//      dialog passes one that returns true, which keeps the current Q factors.
// A front-end never decides a rule itself: what is enabled, what a figure is, and what a command
// changes all live here, so the same rules run in tests with FakeDesktop and in tavro-cli.

#include "TavroVersion.h"
#include "planning/Planning.h"
#include "platform/Controls.h"
#include "project/Project.h"

#include <string>
#include <vector>

class Desktop;
struct AppSettings;

class MainWindow {
public:
    // The window's controls, by the numeric ids the window has always used. Labels and frames,
    // which had none, are numbered here once: a label is its field's id + 1000.
    enum Id : int {
        AutosizedBox = 1002,        // "&Autosized"
        BitrateEdit = 1003,         // "Bitrate"
        TweakedBox = 1004,          // "Tweaked" (indicator, never enabled)
        ReductionEdit = 1005,       // "Reduction" (read-only)
        TweakCellsButton = 1006,    // "&Tweak Cells"
        SegmentSizeEdit = 1007,     // "Vob-ID Video size %" (read-only)
        ResetButton = 1008,         // "&Reset Bitrates"
        SaveButton = 1009,          // "&Save Settings"
        ExitButton = 1010,          // "E&xit"
        LoadButton = 1011,          // "&Load RB Settings"
        TotalSizeEdit = 1012,       // "Total Video Size %" (read-only)
        PreviewButton = 1013,       // "&Preview"
        DurationEdit = 1015,        // "Duration" (read-only)
        HideBox = 1016,             // "&Hide Vob-IDs of insignificant size"
        LinkButton = 1017,          // "Vob-&ID Link"
        ReductionSlider = 1018,     // 0..10000
        SettingsButton = 1019,      // "&CCE Settings" or "PRO Settings"
        GlobalOptionsButton = 1020, // "&Global Options"
        ScriptEditorButton = 1021,  // "AVS &Editing"
        OpvForSmallBox = 1022,      // "Enable OPV for small Vob-IDs"
        SegmentList = 1023,         // the segments' rows
        VbrRadio = 1024,            // "VBR"
        OpvRadio = 1025,            // "OPV"
        CustomQButton = 1026,       // "Set Custom Q"
        AboutButton = 1037,         // "?"
        StatusEdit = 1039,          // estimated disc size (read-only)
        BitrateLabel = 2003,
        ReductionLabel = 2005,
        SegmentSizeLabel = 2007,
        TotalSizeLabel = 2012,
        DurationLabel = 2015,
        SegmentListLabel = 2023,    // "Vob-ID"
        PropertiesGroup = 2100,     // "Properties"
        OptimizationGroup = 2101,   // "Vob-ID Optimization"
    };

    // Which dialog the settings button opens.
    enum class SettingsDialog { None, CceSp, Cce270, Generic };

    static constexpr const char *windowTitle = "Tavro v" TAVRO_VERSION " BETA!!!";
    static constexpr const char *oversizeQuestion = "This is an oversized DVD.\nDo you want to continue?";
    static constexpr const char *exitQuestion =
        "Are you sure to exit?\nIf using OPV mode, you should save to recalculate Q factor.\n"
        "Changing .avs could cause wrong final size";
    static constexpr const char *unsavedPlanQuestion =
        "Are you sure to exit?\nThe plan has changed since it was loaded or saved, and the changes are not saved.";
    static constexpr const char *savedMessage = "Settings Saved";

    // `settingsFolder` holds test.avs for the preview.
    MainWindow(Project &project, Desktop &desktop, AppSettings &settings, std::string settingsFolder = {});

    // ---- The controls ------------------------------------------------------------------------
    // Every control, in the order the window lays them out.
    ControlTable controls() const;
    // One control; its enabled state is the one rule for it.
    Control control(Id id) const;
    bool isEnabled(Id id) const { return control(id).enabled; }
    SettingsDialog settingsDialog() const;

    // ---- What the commands and the child windows work on -------------------------------------
    // Segment index of the selected row; -1 without one.
    int currentSegment() const { return m_currentSegment; }
    // The selected segment, or nullptr without a selection.
    Segment *selectedSegment();
    const Segment *selectedSegment() const;
    // Segment index of each list row, in row order.
    const std::vector<int> &rowMap() const { return m_rowMap; }
    // The row that shows a segment, or -1 when it is not listed.
    int rowOf(int segmentIndex) const;
    bool hideInsignificant() const { return m_hideInsignificant; }
    bool opvForSmall() const { return m_opvForSmall; }
    // The plan (bitrates, modes, encoder settings, segments) differs from the last load or save.
    bool planChanged() const;

    Project &project() { return m_project; }
    const Project &project() const { return m_project; }
    // For the child windows that read or choose programs (Global Options, preview, prediction).
    AppSettings &settings() { return m_settings; }
    const std::string &settingsFolder() const { return m_settingsFolder; }
    Desktop &desktop() { return m_desktop; }

    // ---- Commands ----------------------------------------------------------------------------
    // "&Load RB Settings": the file chooser, then loadFrom(). False when cancelled or failed.
    bool loadClicked();
    // Loads the project at `infPath` (the chooser's answer, or the path given at start).
    bool loadFrom(const std::string &infPath,
                  Project::InterruptedSaves interrupted = Project::InterruptedSaves::Repair);
    void rowSelected(int row);
    void autosizedClicked(bool checked);
    // The bitrate field lost focus with `text` in it. A text that is not an unsigned integer is
    // refused with the window's message and changes nothing.
    void bitrateTyped(const std::string &text);
    void sliderMoved(int position);
    // The slider's effect for a reduction given directly (tavro-cli asks for exact values the
    // slider's positions cannot hit).
    void reductionChosen(double percent);
    void hideClicked(bool checked);
    void opvForSmallClicked(bool checked);
    void vbrClicked();
    void opvClicked();
    void resetClicked();
    // "&Save Settings": asks before saving an oversized DVD, then saves and says so.
    bool saveClicked(const Project::PredictionStep &predict);
    // The save itself, without the oversize question (tavro-cli is not interactive).
    bool saveWithoutAsking(const Project::PredictionStep &predict);
    // "&Preview": writes test.avs for the selected segment and plays it.
    void previewClicked();
    // "E&xit", the close box or Escape: true when the window may close.
    bool exitRequested();

    // After a child window closed, whatever it returned.
    void afterTweakCells();
    void afterLinkVobIds();
    void afterGlobalOptions();
    void afterSetQFactor();
    void afterEncoderSettings();
    void afterScriptEditor();

private:
    // What a save writes of one segment, to tell whether anything changed since.
    struct SegmentPlan {
        bool vbrMode = false;
        EncoderSettings settings;
        std::vector<int> bitrates;
        bool operator==(const SegmentPlan &) const = default;
    };
    static std::vector<SegmentPlan> planOf(const Project &project);

    void buildList();
    void clearList();
    void selectionRules();
    void refresh();
    void positionSlider();
    planning::SliderRange sliderRange() const;

    Project &m_project;
    Desktop &m_desktop;
    AppSettings &m_settings;
    std::string m_settingsFolder;

    std::vector<std::string> m_rows; // 1023, one per listed segment
    std::vector<int> m_rowMap;       // segment index of each row
    int m_selectedRow = -1;          // -1 when the list is empty
    int m_currentSegment = -1;
    bool m_hideInsignificant = true; // 1016
    bool m_opvForSmall = false;      // 1022
    int m_sliderPosition = 0;        // 1018: where the user left it, or placed from the reduction
    // Reset Bitrates shows the segment's share without hiding a tiny one as 0, until the next
    // refresh of the figures.
    bool m_shareUnclamped = false;
    std::vector<SegmentPlan> m_savedPlan;
};
