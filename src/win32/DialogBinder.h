#pragma once

// The Windows front-end's one binder: it draws a core window's control table into the controls
// of a dialog made from a resource template (same control ids), and turns the controls'
// notifications into the core window's commands with their input.
//
//   DialogBinder binder(dialogHandle, [&] { return window.controls(); });
//   binder.onText(MainWindow::BitrateEdit, [&](const std::string &text) { window.bitrateTyped(text); })
//         .onRow(MainWindow::SegmentList, [&](int row) { window.rowSelected(row); });
//   binder.render();
//   ... and in the dialog procedure, first: if (binder.handle(message, wParam, lParam)) return TRUE;
//
// What the template must give each kind of control:
//   Label      STATIC (or a read-only EDIT)     Edit       EDIT without ES_MULTILINE
//   Group      BUTTON BS_GROUPBOX               TextBox    EDIT with ES_MULTILINE
//   Button     BUTTON BS_(DEF)PUSHBUTTON        List       LISTBOX with LBS_NOTIFY
//   CheckBox   BUTTON BS_(AUTO)CHECKBOX         MultiList  LISTBOX with LBS_NOTIFY | LBS_EXTENDEDSEL
//   RadioButton BUTTON BS_(AUTO)RADIOBUTTON     DropDown   COMBOBOX CBS_DROPDOWNLIST
//   Slider     msctls_trackbar32                EditableDropDown COMBOBOX CBS_DROPDOWN
//
// Actions and the input they carry (ControlEvent):
//   button clicked (BN_CLICKED)                         -
//   check box clicked                                   checked: the state the user asked for
//   radio button clicked                                checked: true
//   edit losing the focus (EN_KILLFOCUS)                text
//   list or drop-down choice (LBN_/CBN_SELCHANGE)       row, and text: the row's text
//   multi-selection list change                         rows: every selected row, ascending;
//                                                       row: the caret row (the row last clicked)
//   editable drop-down losing the focus (CBN_KILLFOCUS) text, row -1
//   slider moved by the user (WM_HSCROLL/WM_VSCROLL)    position (only when it changed)
// A button pressed from the keyboard while a writable edit has the focus commits that edit
// first, since no focus change told the window about the typed text; Enter in such an edit
// commits it and presses no button but OK (in a window without OK it only commits). A window
// whose default button is hidden (the template's DEFPUSHBUTTON without WS_VISIBLE) takes Enter
// there: it commits the focused edit and presses nothing, not even OK.
//
// A control the table shows disabled or hidden takes no action. After each command the table
// is drawn again. While the binder draws, or while a command runs
// (it may show a message box, which moves the focus), notifications are not forwarded.

#include "platform/Controls.h"

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// What the user did to one control, with the input its command takes.
struct ControlEvent {
    int id = 0;
    ControlKind kind = ControlKind::Label;
    bool checked = false;  // CheckBox, RadioButton
    std::string text;      // Edit, EditableDropDown: the committed text; List, DropDown: the chosen row's
    int row = -1;          // List, DropDown, EditableDropDown (-1: typed rather than chosen); MultiList: caret
    std::vector<int> rows; // MultiList
    int position = 0;      // Slider
};

class DialogBinder {
public:
    using Source = std::function<ControlTable()>;
    using Handler = std::function<void(const ControlEvent &)>;

    DialogBinder(HWND dialog, Source controls);
    DialogBinder(const DialogBinder &) = delete;
    DialogBinder &operator=(const DialogBinder &) = delete;

    // ---- Routes: which command an action on a control runs ------------------------------------
    DialogBinder &on(int id, Handler handler);
    DialogBinder &onClick(int id, std::function<void()> command);
    DialogBinder &onCheck(int id, std::function<void(bool checked)> command);
    DialogBinder &onText(int id, std::function<void(const std::string &text)> command);
    DialogBinder &onRow(int id, std::function<void(int row)> command);
    DialogBinder &onRows(int id, std::function<void(const std::vector<int> &rows, int caretRow)> command);
    DialogBinder &onSlider(int id, std::function<void(int position)> command);
    // Every control of the table without a route of its own (windows whose commands take the id).
    DialogBinder &onOther(Handler handler);
    // Asked after every command: the control to give the focus to, 0 for none.
    DialogBinder &focusAfterCommand(std::function<int()> request);
    // Runs after every command, before the table is drawn again (a window that may have ended).
    DialogBinder &afterCommand(std::function<void()> check);

    // ---- Drawing and forwarding ------------------------------------------------------------------
    // Writes the whole table into the controls; a control the template lacks is skipped.
    void render();
    // First thing in the dialog procedure: true when the message was an action on a control of
    // the table (forwarded or deliberately dropped); false for everything else.
    bool handle(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs a command that no control started (a menu entry, the start-up load), then draws.
    void run(const std::function<void()> &command);
    // No more forwarding: the dialog is closing.
    void detach() { m_detached = true; }

    HWND dialog() const { return m_dialog; }
    const ControlTable &shown() const { return m_table; }

    // The controls of a template that suit a kind (see the list above); for the template checks.
    static bool fits(HWND control, ControlKind kind);

private:
    void dispatch(const ControlEvent &event);
    bool commitFocusedEdit();
    void renderControl(const Control &control, HWND handle);
    void setRows(HWND handle, const Control &control, UINT reset, UINT add);

    HWND m_dialog;
    Source m_source;
    ControlTable m_table;
    std::map<int, Handler> m_routes;
    Handler m_other;
    std::function<int()> m_focusRequest;
    std::function<void()> m_afterCommand;
    std::map<int, std::vector<std::string>> m_rowsShown; // list rows as last written
    std::map<int, int> m_positions;                      // slider positions as last written or read
    bool m_rendering = false;
    bool m_running = false;
    bool m_detached = false;
};

// Routes every control of a window whose commands are keyed by control id, such as the encoder
// settings windows: radioClicked(id), checkClicked(id, checked), sliderMoved(id, position),
// listChosen(id, row), editCommitted(id, text). Buttons keep their own routes.
template <typename Window>
void routeById(DialogBinder &binder, Window &window)
{
    binder.onOther([&window](const ControlEvent &e) {
        switch (e.kind) {
        case ControlKind::RadioButton: window.radioClicked(e.id); break;
        case ControlKind::CheckBox: window.checkClicked(e.id, e.checked); break;
        case ControlKind::Slider: window.sliderMoved(e.id, e.position); break;
        case ControlKind::List:
        case ControlKind::DropDown: window.listChosen(e.id, e.row); break;
        case ControlKind::Edit: window.editCommitted(e.id, e.text); break;
        default: break;
        }
    });
}
