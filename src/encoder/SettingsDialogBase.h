#pragma once

// What the three encoder settings windows (CCE 2.70, CCE SP, and the "Encoder settings" window
// of CCE 2.50 and PRO mode) have in common: the segment line, DC precision, GOP length, block
// scan order, "Progressive", quality, the bitrate bounds, OK and Cancel; the rule that every
// control writes the segment at once; and the snapshot that Cancel writes back.
//
// A front-end renders controls() into its widgets and forwards each user action as one command
// that carries its input, keyed by the control's id, then renders controls() again:
//     radio button            radioClicked(id)
//     check box               checkClicked(id, checked)
//     slider                  sliderMoved(id, position)
//     drop-down list          listChosen(id, row)
//     edit losing focus       editCommitted(id, text)
//     OK                      okClicked(): true when the window closes
//     Cancel, Escape, close   cancelClicked(): the window closes
// A command for a control that is missing, hidden or disabled, or a slider position outside
// the slider's range, changes nothing. After a refused OK, takeFocusRequest() names the edit
// to give the focus to.

#include "encoder/EncoderKinds.h"
#include "platform/Controls.h"
#include "project/Project.h"

#include <memory>
#include <string>
#include <vector>

class Desktop;

class SettingsDialogBase {
public:
    // Control ids, shared by the three windows wherever they show the same control.
    enum Id : int {
        OkButton = 1,
        CancelButton = 2,
        TitleLabel = 1100,      // "CCE Settings for" / "Encoder Settings for"
        SegmentText = 1101,     // "VTS %d - VobID %d" (read-only)
        DcGroup = 1110,         // "DC Precision"
        Dc10Radio = 1111,       // "10": intraDcPrecision 2
        Dc9Radio = 1112,        // "9": 1
        Dc8Radio = 1113,        // "8": 0, and shown for any other value
        GopGroup = 1120,        // "Gop Length"
        Gop12Radio = 1121,      // "12"
        Gop15Radio = 1122,      // "15", and shown for any other value
        ScanGroup = 1130,       // "Block Scan Order"
        ZigZagRadio = 1131,     // "ZigZag": alternateScan 0, shown for any value but 1
        AlternateRadio = 1132,  // "Alternate": 1; both disabled while the cells disagree (-1)
        ProgressiveBox = 1140,  // "Progressive"; disabled while the cells disagree (-1)
        QualityLabel = 1150,
        QualitySlider = 1151,   // quality
        QualityNumber = 1152,   // the value beside the slider
        MinBitrateLabel = 1160, // "Min Bitrate"
        MinBitrateEdit = 1161,  // minBitrate, kbit/s, 0..9000
        MaxBitrateLabel = 1162, // "Max Bitrate"
        MaxBitrateEdit = 1163,  // maxBitrate, kbit/s, 0..9800
    };
    static constexpr int highestMinBitrate = 9000; // kbit/s
    static constexpr int highestMaxBitrate = 9800; // kbit/s

    using Field = int EncoderSettings::*;

    virtual ~SettingsDialogBase() = default;
    SettingsDialogBase(const SettingsDialogBase &) = delete;
    SettingsDialogBase &operator=(const SettingsDialogBase &) = delete;

    // "VTS %d - VobID %d" of the segment's title set and first Vob-ID.
    static std::string segmentLabel(const Segment &segment);

    SettingsWindow kind() const { return m_kind; }
    // "CCE 2.70 Settings", "CCE SP settings" or "Encoder settings".
    std::string caption() const { return settingsWindowCaption(m_kind); }
    ControlTable controls() const;
    // Present, shown and enabled: a user could act on it.
    bool isUsable(int id) const;

    void radioClicked(int id);
    void checkClicked(int id, bool checked);
    void sliderMoved(int id, int position);
    void listChosen(int id, int row);
    void editCommitted(int id, const std::string &text);
    // The bitrate edits losing focus: a text that is no integer is refused and changes nothing;
    // an integer outside the range is stored after its message. Raising the minimum above the
    // maximum raises the maximum with it, and the other way round.
    void minBitrateTyped(const std::string &text);
    void maxBitrateTyped(const std::string &text);
    // Checks the bitrate edits; false (and a focus request) keeps the window open.
    bool okClicked();
    // Writes the snapshot back. Matrix lines read from a file stay: they are not settings
    // the window opened with but the content of a file the user chose.
    void cancelClicked();
    // The control to focus after the last command, once; 0 for none.
    int takeFocusRequest();

    Segment &segment() { return m_segment; }
    // The settings as they were when the window opened.
    const EncoderSettings &settingsSnapshot() const { return m_snapshot; }

protected:
    // `restored`: the fields Cancel writes back. `okSetsReplanned`: OK asks for a new Q factor.
    SettingsDialogBase(const Project &project, Segment &segment, Desktop &desktop, SettingsWindow kind,
                       const char *titleText, bool okSetsReplanned, std::vector<Field> restored);

    virtual void addControls(ControlTable &table) const = 0;
    // Each handles the window's own controls and passes the rest to the base.
    virtual void onRadio(int id);
    virtual void onCheck(int id, bool checked);
    virtual void onSlider(int id, int position);
    virtual void onList(int id, int row);

    void addSegmentLine(ControlTable &table) const;
    void addDcAndGop(ControlTable &table) const;
    void addScanAndProgressive(ControlTable &table, bool shown) const;
    void addBitrates(ControlTable &table) const;
    void addButtons(ControlTable &table) const;

    EncoderSettings &settings() { return m_segment.settings; }
    const EncoderSettings &settings() const { return m_segment.settings; }
    const Project &project() const { return m_project; }
    Desktop &desktop() { return m_desktop; }

private:
    const Project &m_project;
    Segment &m_segment;
    Desktop &m_desktop;
    SettingsWindow m_kind;
    std::string m_titleText;
    bool m_okSetsReplanned;
    std::vector<Field> m_restored;
    EncoderSettings m_snapshot;
    std::string m_minText; // the bitrate edits hold what was typed until it is read
    std::string m_maxText;
    int m_focusRequest = 0;
};

// The settings window the main window's settings button opens on a segment, or nothing when
// the project's encoder mode has none.
std::unique_ptr<SettingsDialogBase> openSettingsDialog(const Project &project, Segment &segment, Desktop &desktop);
