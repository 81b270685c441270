#pragma once

// The main window without its widgets: every field a control shows, every control's enabled,
// checked and caption state, and one method per command.
//
// How a view uses it:
//   1. Build the widgets; for each MainWindow::Control take its caption from caption().
//   2. On a user action, read the editable controls into the fields (the bitrate text through
//      readBitrateText(), which refuses a bad number with the window's message; the slider into
//      sliderPosition; check boxes into autosizedBox, hideInsignificant, opvForSmall), call the
//      one command method, then write every field back: values (the *Text() methods give the
//      number texts as shown), rows and selectedRow, checked states, isEnabled() and caption()
//      of every control.
//   3. A command that opens another window is split around it: the view asks isEnabled() of the
//      button, runs the child window modally on `currentSegment` (or on the project), then
//      calls the matching after...() command here, which does what the window does when the
//      child closes. settingsDialog() says which encoder settings dialog the settings button
//      opens.
//   4. Save takes the prediction step as a callback; a view without the prediction dialog
//      passes one that returns true, which keeps the current Q factors.
// The view never decides a rule itself: what is enabled, what a figure is, and what a command
// changes all live here, so the same rules run in tests with FakeDesktop and in tavro-cli.

#include "planning/Planning.h"
#include "project/Project.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class Desktop;
struct AppSettings;

class MainWindow {
public:
    // The window's controls, by the numeric ids the window has always used.
    enum class Control : int {
        AutosizedBox = 1002,       // "&Autosized"
        BitrateEdit = 1003,        // "Bitrate"
        TweakedBox = 1004,         // "Tweaked" (indicator, never enabled)
        ReductionEdit = 1005,      // "Reduction" (read-only)
        TweakCellsButton = 1006,   // "&Tweak Cells"
        SegmentSizeEdit = 1007,    // "Vob-ID Video size %" (read-only)
        ResetButton = 1008,        // "&Reset Bitrates"
        SaveButton = 1009,         // "&Save Settings"
        ExitButton = 1010,         // "E&xit"
        LoadButton = 1011,         // "&Load RB Settings"
        TotalSizeEdit = 1012,      // "Total Video Size %" (read-only)
        PreviewButton = 1013,      // "&Preview"
        DurationEdit = 1015,       // "Duration" (read-only)
        HideBox = 1016,            // "&Hide Vob-IDs of insignificant size"
        LinkButton = 1017,         // "Vob-&ID Link"
        ReductionSlider = 1018,    // 0..10000
        SettingsButton = 1019,     // "&CCE Settings" or "PRO Settings"
        GlobalOptionsButton = 1020, // "&Global Options"
        ScriptEditorButton = 1021, // "AVS &Editing"
        OpvForSmallBox = 1022,     // "Enable OPV for small Vob-IDs"
        SegmentList = 1023,        // "Vob-ID"
        VbrRadio = 1024,           // "VBR"
        OpvRadio = 1025,           // "OPV"
        CustomQButton = 1026,      // "Set Custom Q"
        AboutButton = 1037,        // "?"
        StatusEdit = 1039,         // estimated disc size (read-only)
    };
    static const std::vector<Control> &controls();

    // Which dialog the settings button opens.
    enum class SettingsDialog { None, CceSp, Cce270, Generic };

    static constexpr const char *windowTitle = "Tavro v0.17 BETA!!!";
    static constexpr const char *oversizeQuestion = "This is an oversized DVD.\nDo you want to continue?";
    static constexpr const char *exitQuestion =
        "Are you sure to exit?\nIf using OPV mode, you should save to recalculate Q factor.\n"
        "Changing .avs could cause wrong final size";
    static constexpr const char *savedMessage = "Settings Saved";
    static constexpr const char *badBitrateMessage = "Please enter a positive integer.";

    MainWindow(Project &project, Desktop &desktop, AppSettings &settings);

    // ---- Fields mirroring the controls -------------------------------------------------------
    int currentSegment = -1;        // segment index of the selected row; -1 without one
    bool autosizedBox = false;      // 1002
    bool tweakedBox = false;        // 1004: the segment's tweaks, shown for VBR segments only
    unsigned bitrateValue = 0;      // 1003, kbit/s
    float segmentSizePercent = 0.0f; // 1007
    float totalSizePercent = 0.0f;  // 1012
    double reductionValue = 0.0;    // 1005, percent
    int sliderPosition = 0;         // 1018, 0..10000
    std::string durationValue;      // 1015
    bool hideInsignificant = true;  // 1016
    std::string statusText;         // 1039
    bool opvForSmall = false;       // 1022
    bool vbrChecked = false;        // 1024
    bool opvChecked = false;        // 1025
    std::vector<std::string> rows;  // 1023, one per listed segment
    std::vector<int> rowMap;        // segment index of each row
    int selectedRow = -1;           // 1023; -1 when the list is empty
    planning::SliderRange sliderRange; // bounds of the reduction slider

    bool isEnabled(Control control) const;
    std::string caption(Control control) const;
    SettingsDialog settingsDialog() const;

    // The number fields as the window shows them: 32-bit floats with 6 significant digits,
    // 64-bit floats with 15.
    std::string bitrateText() const;
    std::string reductionText() const;
    std::string segmentSizeText() const;
    std::string totalSizeText() const;
    static std::string formatFloat(float value);
    static std::string formatDouble(double value);

    // The text of a segment's row: "VTS %2d - Vob-ID %3d", or %4d once there are 1000 segments.
    static std::string rowText(const Project &project, int segmentIndex);
    // "DVD Estimated Size: %d MB  -   RB TargetSectors %d", or empty without an overhead size.
    static std::string statusTextOf(const Project &project);

    // Reads the typed bitrate into bitrateValue. A text that is not an unsigned integer is
    // refused with the window's message and leaves bitrateValue as it was.
    bool readBitrateText(const std::string &text);

    // The row that shows a segment, or -1 when it is not listed.
    int rowOf(int segmentIndex) const;
    // The selected segment, or nullptr without a selection.
    Segment *selectedSegment();
    const Segment *selectedSegment() const;

    // ---- Commands ----------------------------------------------------------------------------
    // "&Load RB Settings": the file chooser, then loadFrom(). False when cancelled or failed.
    bool load();
    bool loadFrom(const std::string &infPath,
                  Project::InterruptedSaves interrupted = Project::InterruptedSaves::Repair);
    // A selection change of the list (the view passes the new row).
    void selectRow(int row);
    // "&Autosized" clicked, with autosizedBox holding the new state.
    void autosizedClicked();
    // The bitrate field lost focus, with bitrateValue holding the typed value.
    void bitrateTyped();
    // The reduction slider moved, with sliderPosition holding its position.
    void sliderMoved();
    // The slider's effect for a reduction given directly (tavro-cli asks for exact values the
    // slider's positions cannot hit).
    void reductionChosen(double percent);
    // "&Hide Vob-IDs of insignificant size" clicked, with hideInsignificant holding the state.
    void hideClicked();
    // "Enable OPV for small Vob-IDs" clicked, with opvForSmall holding the state.
    void opvForSmallClicked();
    void resetBitrates();
    // "&Save Settings": asks before saving an oversized DVD, then saves and says so.
    bool save(const Project::PredictionStep &predict);
    // The save itself, without the oversize question (tavro-cli is not interactive).
    bool saveWithoutAsking(const Project::PredictionStep &predict);
    void vbrClicked();
    void opvClicked();
    // "E&xit" or closing the window: true when the window may close.
    bool exitRequested();
    // "&Preview": runs previewHook on the current segment (the view supplies the test script).
    void previewClicked();
    std::function<void(int segmentIndex)> previewHook;

    // After a child window closed, whatever it returned.
    void afterTweakCells();
    void afterLinkVobIds();
    void afterGlobalOptions();
    void afterSetQFactor();
    void afterEncoderSettings();
    void afterScriptEditor();

    Project &project() { return m_project; }
    const Project &project() const { return m_project; }
    // For the child windows that read or choose programs (Global Options, preview, prediction).
    AppSettings &settings() { return m_settings; }
    Desktop &desktop() { return m_desktop; }

private:
    void setEnabled(Control control, bool enabled);
    void applyLoadRules(bool loaded);
    void buildList();
    void selectionRules();
    void refresh();
    void clearSegmentFields();
    void updateSegmentControls();
    void positionSlider();

    Project &m_project;
    Desktop &m_desktop;
    AppSettings &m_settings;
    std::map<Control, bool> m_enabled;
    std::string m_settingsCaption = "&CCE Settings";
};
