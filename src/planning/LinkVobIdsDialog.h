#pragma once

// Link Vob-IDs: joins segments of one title set into one. Opened on the main window's
// selected segment with its hide switch; the main window rebuilds its list afterwards
// whatever the result (afterLinkVobIds()).
//
// Opening may end the window at once: when the title set lists fewer than two segments the
// user is told so and result() is already Cancel; the view then does not show it.
//
// A view binds each Id, renders controls() after every command, and forwards:
//   list 1036 selection changed -> selectionChanged(selected rows, caret row)
//   check box 1016 clicked      -> hideClicked(checked)
//   1013 -> viewFirstCellClicked(), 1018 -> linkAllClicked(), 1 -> linkSelectedClicked(),
//   2, the close box or Escape -> cancelClicked().
// The list is a MultiList: `selectedRows` are the selected rows, `selected` is the caret row
// (the row last clicked, whose segment the Properties box shows).

#include "platform/Controls.h"
#include "platform/DialogResult.h"
#include "project/Project.h"

#include <string>
#include <vector>

class Desktop;
struct AppSettings;

class LinkVobIdsDialog {
public:
    enum Id : int {
        LinkSelectedButton = 1, // "Link selected"
        CancelButton = 2,       // "Cancel"
        ViewFirstCellButton = 1013, // "View first cell"
        DurationEdit = 1015,    // the focused segment's duration (read-only)
        HideBox = 1016,         // "Hide Vob-ID of insignificant size"
        SegmentEdit = 1017,     // the focused segment's label (read-only)
        LinkAllButton = 1018,   // "Link all in this VTS"
        BitrateEdit = 1019,     // the focused segment's average bitrate (read-only)
        ReductionEdit = 1020,   // the focused segment's reduction (read-only)
        SegmentList = 1036,     // the listed segments of the title set, several selectable
    };

    static constexpr const char *title = "Link Vob-IDs";
    static constexpr const char *onlyVobIdMessage = "This VobID can't be linked\nIt's the only VobID of the VTS";
    // Static texts: the group box and the labels beside its fields.
    static constexpr const char *propertiesGroup = "Properties";
    static constexpr const char *durationLabel = "Duration:";
    static constexpr const char *bitrateLabel = "Bitrate:";
    static constexpr const char *reductionLabel = "Reduction:";

    // `currentSegment` and `hideInsignificant` are the main window's.
    LinkVobIdsDialog(Project &project, int currentSegment, bool hideInsignificant, Desktop &desktop,
                     AppSettings &settings, std::string settingsFolder);

    ControlTable controls() const;
    DialogResult result() const { return m_result; }
    // The list row of a segment, or -1 when it is not listed.
    int rowOf(int segmentIndex) const;

    void selectionChanged(std::vector<int> selectedRows, int caretRow);
    void hideClicked(bool checked);
    void viewFirstCellClicked();
    void linkSelectedClicked();
    void linkAllClicked();
    void cancelClicked();

private:
    // Fills the list; false when it has fewer than two rows, which leaves nothing to link.
    bool buildList();
    void focus(int row);
    void close(DialogResult result);

    Project &m_project;
    Desktop &m_desktop;
    AppSettings &m_settings;
    std::string m_settingsFolder;
    int m_currentSegment;
    bool m_hideInsignificant;

    std::vector<int> m_rowMap;       // segment index of each row
    std::vector<int> m_selectedRows; // ascending
    int m_focusRow = -1;
    int m_focusedSegment = -1;
    DialogResult m_result = DialogResult::Open;
};
