#pragma once

// The planning windows the main window opens, on Windows: one template and a few routes each.

#include "planning/SetQFactorDialog.h"
#include "win32/BoundDialog.h"

class SetQFactorWindow : public BoundDialog {
public:
    explicit SetQFactorWindow(SetQFactorDialog &window) : m_window(window) {}

protected:
    ControlTable controls() override { return m_window.controls(); }
    void bind(DialogBinder &binder) override;

private:
    SetQFactorDialog &m_window;
};
