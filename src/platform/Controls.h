#pragma once

// The contract between a window's core class and any front-end that draws it.
//
// A core window class (MainWindow, TweakCellsDialog, ...) describes its controls as one table,
// derived on demand from the model and the window's own fields, keyed by numeric control ids
// that stay fixed (the native Windows dialogs' resource script uses the same numbers). A
// front-end renders the table into its widgets and turns user actions into the window's
// commands, which carry their input (`bitrateTyped(text)`, `rowSelected(row)`, ...).
//
// Built with the small fluent helpers below:
//     return edit(std::to_string(cell.bitrate)).enable(cell.autosized == 0);

#include <string>
#include <utility>
#include <vector>

enum class ControlKind {
    Label,        // static text
    Button,       // push button
    CheckBox,
    RadioButton,
    Edit,         // one-line text field; `readOnly` for figures the user cannot change
    TextBox,      // several lines of text (a log); rows are its lines
    List,         // list of rows, one or no selected row
    MultiList,    // list of rows, any number selected
    DropDown,     // drop-down list of rows, one or no selected row
    EditableDropDown, // drop-down whose text can also be typed; `text` is that text
    Slider,
    Group,        // a frame with a caption
};

struct Control {
    int id = 0;
    ControlKind kind = ControlKind::Label;
    std::string text;                // caption, field text, or the text of an editable drop-down
    bool enabled = true;
    bool visible = true;
    bool readOnly = false;           // Edit: shown, not editable
    bool checked = false;            // CheckBox, RadioButton
    std::vector<std::string> rows;   // List, MultiList, DropDown, EditableDropDown, TextBox
    int selected = -1;               // List, DropDown: the selected row, -1 for none;
                                     // MultiList: the caret row (the row last clicked), -1 for none
    std::vector<int> selectedRows;   // MultiList: the selected rows, ascending
    int minimum = 0;                 // Slider range
    int maximum = 0;
    int position = 0;                // Slider position

    Control &enable(bool on) { enabled = on; return *this; }
    Control &show(bool on) { visible = on; return *this; }
    Control &check(bool on) { checked = on; return *this; }
    Control &select(int row) { selected = row; return *this; }
    Control &withId(int value) { id = value; return *this; }
};

inline Control label(std::string text) { Control c; c.kind = ControlKind::Label; c.text = std::move(text); return c; }
inline Control group(std::string text) { Control c; c.kind = ControlKind::Group; c.text = std::move(text); return c; }
inline Control button(std::string text) { Control c; c.kind = ControlKind::Button; c.text = std::move(text); return c; }
inline Control checkBox(std::string text, bool checked)
{
    Control c; c.kind = ControlKind::CheckBox; c.text = std::move(text); c.checked = checked; return c;
}
inline Control radio(std::string text, bool checked)
{
    Control c; c.kind = ControlKind::RadioButton; c.text = std::move(text); c.checked = checked; return c;
}
inline Control edit(std::string text) { Control c; c.kind = ControlKind::Edit; c.text = std::move(text); return c; }
inline Control readOnlyEdit(std::string text) { Control c = edit(std::move(text)); c.readOnly = true; return c; }
inline Control textBox(std::vector<std::string> lines)
{
    Control c; c.kind = ControlKind::TextBox; c.rows = std::move(lines); c.readOnly = true; return c;
}
inline Control list(std::vector<std::string> rows, int selected)
{
    Control c; c.kind = ControlKind::List; c.rows = std::move(rows); c.selected = selected; return c;
}
inline Control multiList(std::vector<std::string> rows, std::vector<int> selectedRows)
{
    Control c; c.kind = ControlKind::MultiList; c.rows = std::move(rows); c.selectedRows = std::move(selectedRows); return c;
}
inline Control dropDown(std::vector<std::string> rows, int selected)
{
    Control c; c.kind = ControlKind::DropDown; c.rows = std::move(rows); c.selected = selected; return c;
}
inline Control editableDropDown(std::vector<std::string> rows, std::string text)
{
    Control c; c.kind = ControlKind::EditableDropDown; c.rows = std::move(rows); c.text = std::move(text); return c;
}
inline Control slider(int minimum, int maximum, int position)
{
    Control c; c.kind = ControlKind::Slider; c.minimum = minimum; c.maximum = maximum; c.position = position; return c;
}

// A window's controls in the order the window lays them out.
class ControlTable {
public:
    void add(int id, Control control) { control.id = id; m_controls.push_back(std::move(control)); }
    const std::vector<Control> &all() const { return m_controls; }
    // The control with this id, or nullptr.
    const Control *find(int id) const
    {
        for (const Control &control : m_controls)
            if (control.id == id)
                return &control;
        return nullptr;
    }
    // The control with this id; a table always holds every control of its window.
    const Control &at(int id) const
    {
        static const Control none;
        const Control *control = find(id);
        return control ? *control : none;
    }

private:
    std::vector<Control> m_controls;
};
