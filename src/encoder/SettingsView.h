#pragma once

// The Qt drawing of the encoder settings windows. SettingsView holds what the three share:
// the widgets of the common controls (segment line, DC precision, GOP length, scan order,
// "Progressive", bitrate bounds, OK and Cancel), the binding of every control to its command
// by the control's kind, and OK and Cancel. CceSettingsView lays out the two CCE windows,
// EncoderSettingsView the "Encoder settings" window. Every rule lives in the core classes.

#include "app/ControlBinder.h"
#include "encoder/SettingsDialogBase.h"

#include <QDialog>

#include <initializer_list>
#include <memory>

class QGridLayout;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QSlider;

class SettingsView : public QDialog {
public:
    SettingsDialogBase &dialog() { return m_dialog; }
    // The widget of a control, found by its id (objectName is "id<number>"), or nullptr.
    QWidget *control(int id) const { return m_binder->widget(id); }

    // OK: closes when the core accepts; otherwise the control the core names takes the focus.
    void accept() override;
    // Cancel, Escape and the close box: the core writes the settings back as they were.
    void reject() override;

protected:
    SettingsView(SettingsDialogBase &dialog, QWidget *parent);

    // The window has this control (the CCE windows differ in a few).
    bool has(int id) const { return m_opened.find(id) != nullptr; }
    ControlBinder &binder() { return *m_binder; }

    // ---- Pieces of the layout, each bound to its control ids ----------------------------------
    // "CCE Settings for" / "Encoder Settings for" and the segment's name.
    QLayout *segmentLine();
    // A frame of radio buttons side by side.
    QGroupBox *radioGroup(int groupId, std::initializer_list<int> radioIds);
    QGroupBox *dcGroup();
    QGroupBox *gopGroup();
    QGroupBox *scanGroup();
    QLabel *label(int id, QWidget *buddy = nullptr);
    QWidget *checkBox(int id);
    // A slider and the number beside it that follows it, in row `row` of `grid` (columns 1
    // and 2; column 0 is left to the caller's caption).
    QSlider *addSlider(QGridLayout *grid, int row, int sliderId, int numberId);
    // "Min Bitrate" and "Max Bitrate" with their edits, as two rows of a grid.
    QGridLayout *bitrateRows();
    // OK and Cancel at the right.
    QLayout *buttonRow();

    // Binds every bound control to its command, puts `body` into the window and renders it.
    void finish(QLayout *body);

private:
    void bindCommands();
    // Text typed into an edit that has not left it yet is applied before OK reads it.
    void commitPendingEdits();

    SettingsDialogBase &m_dialog;
    ControlBinder *m_binder;
    ControlTable m_opened; // the controls as the window opened: which ones it has
};

// The view for `dialog`'s window.
std::unique_ptr<SettingsView> makeSettingsView(SettingsDialogBase &dialog, QWidget *parent = nullptr);
// Lays out `dialog`'s window and runs it modally over `parent`; returns QDialog's result.
int runSettingsWindow(QWidget *parent, SettingsDialogBase &dialog);
