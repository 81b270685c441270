#pragma once

#include "encoder/SettingsDialogBase.h"

// "Encoder settings": the settings window of CCE 2.50 and of DVD-Rebuilder's PRO mode. In CCE
// mode it edits DC precision, GOP length, the filter choice with quality or complexity, scan
// order, "Progressive" and the bitrate bounds; in PRO mode the filter, quality, complexity and
// scan controls are hidden. OK does not ask for a new Q factor.
//
// Moving the quality slider stores its position into `quality`, and Cancel puts `quality`
// back with the other fields: a slider that moves without effect would mislead, and one
// whose effect Cancel could not undo would break the window's promise.
class EncoderSettingsDialog : public SettingsDialogBase {
public:
    enum Id : int {
        FilterGroup = 1300,          // "Filter"
        FilterNoneRadio = 1301,      // "None": filterOff 1
        FilterNaturalRadio = 1302,   // "Natural Picture": filterOff 0, pictType 0
        FilterCgRadio = 1303,        // "Computer Graphics": filterOff 0, pictType 1
        FilterAnimationRadio = 1304, // "Animation": filterOff 0, pictType 2 (shown for any other)
        ComplexityLabel = 1310,      // "Complexity"
        ComplexitySlider = 1311,     // pictComplexity 0..4
        ComplexityNumber = 1312,
    };

    EncoderSettingsDialog(const Project &project, Segment &segment, Desktop &desktop);

    // The filter, quality, complexity and scan controls are shown (CCE mode, not PRO).
    bool editsCceFilters() const { return m_cceFilters; }

protected:
    void addControls(ControlTable &table) const override;
    void onRadio(int id) override;
    void onSlider(int id, int position) override;

private:
    bool m_cceFilters;
};
