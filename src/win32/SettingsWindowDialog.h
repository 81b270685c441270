#pragma once

#include "encoder/SettingsDialogBase.h"
#include "win32/BoundDialog.h"

// The three encoder settings windows (CCE 2.70, CCE SP, "Encoder settings") on Windows: one
// template each, one dialog class for all, since their commands are keyed by control id.
class SettingsWindowDialog : public BoundDialog {
public:
    explicit SettingsWindowDialog(SettingsDialogBase &window) : m_window(window) {}

    static int templateFor(SettingsWindow kind);
    int templateId() const { return templateFor(m_window.kind()); }

protected:
    ControlTable controls() override { return m_window.controls(); }
    void bind(DialogBinder &binder) override;

private:
    SettingsDialogBase &m_window;
};

// The settings button of the main window: the settings window of the project's encoder on the
// segment, run modally over `owner`. False when the project's encoder mode has none.
bool runSettingsWindow(HWND owner, const Project &project, Segment &segment, Desktop &desktop);
