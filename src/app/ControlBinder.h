#pragma once

// The one piece between a window's core class and its Qt widgets. A view lays its widgets out
// and binds each to a control id; the binder renders the core window's control table into them
// and forwards the user's actions to the core's commands, with their input, then renders again.
//
//     m_binder.bind(m_bitrate, TweakCellsDialog::BitrateEdit);
//     m_binder.onTextCommitted(TweakCellsDialog::BitrateEdit,
//                              [this](const std::string &text) { m_dialog.bitrateTyped(text); });
//     m_binder.render();
//
// Widgets and the control kinds they show:
//   QLabel            Label (text)
//   QGroupBox         Group (title)
//   QPushButton       Button (caption)
//   QCheckBox         CheckBox (caption, checked)
//   QRadioButton      RadioButton (caption, checked; neither of a pair may be checked)
//   QLineEdit         Edit (text; readOnly fields look read-only and are skipped by Tab)
//   QPlainTextEdit    TextBox (rows are its lines; new lines at the end are appended)
//   QListWidget       List (rows, selected row) or MultiList (rows, selectedRows, and the caret
//                     row in `selected`); the view sets a multi-selection mode for MultiList
//   QComboBox         DropDown (rows, selected row) or EditableDropDown (rows, text)
//   QSlider           Slider (range, position)
// Every widget also follows `enabled` and `visible`.
//
// While the binder writes into the widgets, and while a command runs (a message box or a
// child window may take the focus away, which ends an edit a second time), the widgets'
// signals are not forwarded.

#include "platform/Controls.h"

#include <QHash>
#include <QObject>

#include <functional>
#include <string>
#include <vector>

class QDialog;
class QWidget;

class ControlBinder : public QObject {
public:
    // `owner` is the view (the binder lives as its child); `table` gives the core window's
    // controls as they are now.
    ControlBinder(QWidget *owner, std::function<ControlTable()> table);

    // Shows control `id` in `widget` from now on, and names the widget "id<number>" so tests
    // and style sheets find it. Returns the widget.
    template <typename Widget>
    Widget *bind(Widget *widget, int id)
    {
        bindWidget(widget, id);
        return widget;
    }
    // The widget bound to `id`, or nullptr.
    QWidget *widget(int id) const { return m_widgets.value(id, nullptr); }

    // ---- User actions to commands (each command runs, then the table is rendered again) ----
    // Button clicked, or radio button clicked.
    void onClicked(int id, std::function<void()> command);
    // Check box clicked by the user, with its new state.
    void onChecked(int id, std::function<void(bool checked)> command);
    // Edit: Enter, or the focus leaves with a text other than the one shown last.
    // Editable drop-down: the same for its text, and a row chosen from its list (its text).
    // Enter in an edit applies the text instead of pressing the window's default button.
    void onTextCommitted(int id, std::function<void(const std::string &text)> command);
    // Edit: every change the user makes to its text, for a window that reads the field only
    // when a button is pressed. Enter keeps pressing the window's default button.
    void onTextEdited(int id, std::function<void(const std::string &text)> command);
    // List: the current row changed (click or keys). Drop-down: a row chosen by the user.
    void onRowSelected(int id, std::function<void(int row)> command);
    // Multi-selection list: the selected rows (ascending) or the caret row changed.
    void onRowsSelected(int id, std::function<void(const std::vector<int> &rows, int caretRow)> command);
    // Slider: every position it passes while it moves.
    void onSliderMoved(int id, std::function<void(int position)> command);

    // Runs a command that is not tied to one control's signal (a view's own button handler,
    // a child window followed by its after...() command), with the same guard, then renders.
    void run(const std::function<void()> &command);
    // Writes the whole table into the bound widgets.
    void render();
    // True while rendering or running a command: actions arriving now are not forwarded.
    bool busy() const { return m_rendering || m_running; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void bindWidget(QWidget *widget, int id);
    void renderControl(QWidget *widget, const Control &control);
    void commitText(int id);
    void forward(const std::function<void()> &command);

    std::function<ControlTable()> m_table;
    QHash<int, QWidget *> m_widgets;
    QHash<int, std::function<void(const std::string &)>> m_textCommands;
    // What each widget showed after the last render (or the last forwarded action): rows are
    // compared here rather than read back from the widgets, and an edit left unchanged is not
    // committed again.
    QHash<int, std::vector<std::string>> m_shownRows;
    QHash<int, std::string> m_shownText;
    QHash<int, std::pair<std::vector<int>, int>> m_shownSelection;
    bool m_rendering = false;
    bool m_running = false;
};

// Runs a child window modally over `parent` and returns its result (QDialog::Accepted or
// QDialog::Rejected). The child takes the parent's icon. The parent view then calls its core
// window's after...() command, usually inside an action's command:
//
//     m_binder.onClicked(MainWindow::TweakCellsButton, [this] {
//         TweakCellsDialog dialog(...);
//         TweakCellsView view(dialog, this);
//         runChildDialog(this, view);
//         m_window.afterTweakCells();
//     });
int runChildDialog(QWidget *parent, QDialog &child);

// GUI tests act on a child window from inside its modal loop through a driver: it is called
// once with the child as soon as the child runs (it clicks the child's controls and closes
// it); a child the driver leaves open is closed with Cancel. An empty driver ends this.
void setChildDialogDriver(std::function<void(QDialog &child)> driver);
