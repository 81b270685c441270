#pragma once

// Tweak Cells: single cells of one segment get their own bitrate while the segment's other
// free cells pay for it. Every change goes into the model at once; there is no undo.
//
// A view binds each Id, renders controls() after every command, and forwards:
//   list 1036 selection       -> cellSelected(row)
//   check box 1002 clicked     -> autosizedClicked(checked)
//   edit 1003 loses focus      -> bitrateTyped(text)
//   slider 1018 moved or drawn -> sliderMoved(position)
//   1008 -> resetClicked(), 1006 -> viewCellClicked(), 1 -> applyClicked(),
//   the window's close box or Escape -> closeClicked().
// When result() is no longer Open the view closes, and the main window runs afterTweakCells().

#include "planning/Planning.h"
#include "platform/Controls.h"
#include "platform/DialogResult.h"
#include "project/Project.h"

#include <cstdint>
#include <string>

class Desktop;
struct AppSettings;

class TweakCellsDialog {
public:
    enum Id : int {
        ApplyButton = 1,        // "Apply"
        AutosizedBox = 1002,    // "Autosized": the selected cell is not tweaked
        BitrateEdit = 1003,     // the selected cell's bitrate, kbit/s
        ReductionEdit = 1005,   // the selected cell's reduction (read-only)
        ViewCellButton = 1006,  // "View Cell"
        ResetButton = 1008,     // "Reset"
        AverageEdit = 1012,     // the segment's average bitrate when the window opened (read-only)
        SegmentEdit = 1013,     // the segment's label (read-only)
        FramesEdit = 1014,      // the selected cell's frames (read-only)
        CellEdit = 1015,        // the selected cell's number (read-only)
        ReductionSlider = 1018, // 0..10000 over the selected cell's reduction bounds
        CellList = 1036,        // one row per cell
    };

    static constexpr const char *title = "Tweak Cells";
    // Static texts beside the fields.
    static constexpr const char *averageLabel = "Average Bitrate:";
    static constexpr const char *cellLabel = "Cell:";
    static constexpr const char *framesLabel = "Frames:";
    static constexpr const char *bitrateLabel = "Bitrate";
    static constexpr const char *reductionLabel = "Reduction";

    // Opens on one segment of the project; `settings` and `settingsFolder` serve "View Cell".
    TweakCellsDialog(Project &project, int segmentIndex, Desktop &desktop, AppSettings &settings,
                     std::string settingsFolder);

    ControlTable controls() const;
    DialogResult result() const { return m_result; }
    int selectedCell() const { return m_selectedCell; } // -1 for a segment without cells

    void cellSelected(int row);
    void autosizedClicked(bool checked);
    void bitrateTyped(const std::string &text);
    void sliderMoved(int position);
    void resetClicked();
    void viewCellClicked();
    void applyClicked();
    void closeClicked();

private:
    Cell *cell();
    const Cell *cell() const;
    void showCell(); // the cell fields and slider bounds of the selected cell
    std::int64_t slack() const;

    Project &m_project;
    Segment *m_segment = nullptr;
    Desktop &m_desktop;
    AppSettings &m_settings;
    std::string m_settingsFolder;

    int m_segmentAverage = 0; // kbit/s, as shown at opening; what Reset goes back to
    int m_selectedCell = -1;
    planning::SliderRange m_sliderRange;
    int m_sliderPosition = 0;
    DialogResult m_result = DialogResult::Open;
};
