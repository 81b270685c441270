#pragma once

// Set Q Factor: for one OPV segment, whether its CCE Q factor is predicted at the next save
// ("Calculated": `replanned` set) or fixed by hand ("Set to": `opvQFactor`). The main window
// opens it on its selected segment and runs afterSetQFactor() when it closes.
//
// The Q field is checked as an integer from 1 to 128 on OK whichever radio button is chosen,
// and on every radio click; a refused value keeps the window open and changes nothing.
//
// A view binds each Id, renders controls() after every command, and forwards:
//   edit 1005 text changed -> qTyped(text)
//   1024 -> calculatedClicked(), 1025 -> setToClicked(),
//   1 -> okClicked() (true when the window closes), 2, the close box or Escape -> cancelClicked().

#include "platform/Controls.h"
#include "platform/DialogResult.h"
#include "project/Project.h"

#include <optional>
#include <string>

class Desktop;

class SetQFactorDialog {
public:
    enum Id : int {
        OkButton = 1,         // "OK"
        CancelButton = 2,     // "Cancel"
        SegmentEdit = 1003,   // the segment's label (read-only)
        QEdit = 1005,         // the Q factor; enabled while "Set to" is chosen
        CalculatedRadio = 1024, // "Calculated"
        SetToRadio = 1025,    // "Set to"
    };

    static constexpr const char *title = "Set Q Factor";
    static constexpr int lowestQ = 1;
    static constexpr int highestQ = 128;
    // Static texts: the group box around the radios and the warning in a box without caption.
    static constexpr const char *qGroup = "Q Factor";
    static constexpr const char *warningText =
        "Warning! Setting a wrong Q value can produce an undersized or oversized result. Use at your own risk!";

    SetQFactorDialog(Project &project, int segmentIndex, Desktop &desktop);

    ControlTable controls() const;
    DialogResult result() const { return m_result; }

    void qTyped(const std::string &text);
    void calculatedClicked();
    void setToClicked();
    bool okClicked();
    void cancelClicked();

private:
    // The Q field as a valid Q factor, or nothing after the window's message.
    std::optional<int> readQ();

    Project &m_project;
    Segment *m_segment = nullptr;
    Desktop &m_desktop;

    bool m_calculated = false;
    std::string m_qText;
    DialogResult m_result = DialogResult::Open;
};
