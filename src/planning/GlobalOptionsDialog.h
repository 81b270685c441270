#pragma once

// Global Options: the output size of the whole project as a percentage of what DVD-Rebuilder
// planned, with the disc size it projects; the restore of DVD-Rebuilder's files; the choice
// of the media player and the CCE executable. After it closes, with OK or Cancel, the main
// window runs afterGlobalOptions().
//
// The percentage arrives as a number (percentChosen), so any value can be asked for; the
// slider 1034 is one way to choose it, in steps of 0.1 between 95 and 105. Opening counts as
// the slider's first drawing: a percentage that is not a multiple of 0.1 is cut down to one,
// and one outside 95..105 goes to the nearer end.
//
// A view binds each Id, renders controls() after every command, and forwards:
//   slider 1034 moved -> sliderMoved(position)
//   1006 -> restoreClicked(), 1007 -> selectMediaPlayerClicked(), 1008 -> selectCceClicked(),
//   1 -> okClicked(), 2, the close box or Escape -> cancelClicked().

#include "platform/Controls.h"
#include "platform/DialogResult.h"
#include "project/Project.h"

#include <string>

class Desktop;
struct AppSettings;

class GlobalOptionsDialog {
public:
    enum Id : int {
        OkButton = 1,                // "OK"
        CancelButton = 2,            // "Cancel"
        PercentEdit = 1003,          // the output size percentage (read-only)
        RestoreButton = 1006,        // "&Restore Original"
        MediaPlayerButton = 1007,    // "Select &MPlayer"
        CceButton = 1008,            // "Select &CCE"
        PercentSlider = 1034,        // 950..1050: the percentage x 10
        EstimateEdit = 1039,         // "DVD Estimated Size %d MB" (read-only)
        SectorsEdit = 1040,          // "TargetSectors %d" (read-only)
    };

    static constexpr const char *title = "Global Options";
    static constexpr int sliderMinimum = 950;
    static constexpr int sliderMaximum = 1050;
    // Static texts: group boxes and labels.
    static constexpr const char *outputGroup = "Output";
    static constexpr const char *percentLabel = "Set Output size to: %";
    static constexpr const char *backupGroup = "Backup";
    static constexpr const char *backupLabel = "Rebuilder.INF/ECL";
    static constexpr const char *pathsGroup = "Program Paths";

    GlobalOptionsDialog(Project &project, Desktop &desktop, AppSettings &settings, std::string settingsFolder);

    ControlTable controls() const;
    DialogResult result() const { return m_result; }
    double outputPercent() const { return m_outputPercent; }

    void sliderMoved(int position);
    void percentChosen(double percent);
    // Asks, restores DVD-Rebuilder's files and ends the program through Desktop; false when
    // the user said No or a copy failed, and the window stays open.
    bool restoreClicked();
    void selectMediaPlayerClicked();
    void selectCceClicked();
    bool okClicked(); // true: the window closes (always, once open)
    void cancelClicked();

private:
    Project &m_project;
    Desktop &m_desktop;
    AppSettings &m_settings;
    std::string m_settingsFolder;

    double m_outputPercent = 100.0;
    int m_sliderPosition = 1000;
    DialogResult m_result = DialogResult::Open;
};
