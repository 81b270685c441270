#pragma once

#include "app/DialogView.h"
#include "planning/SetQFactorDialog.h"

// Draws Set Q Factor: the segment, the two choices with the Q field, and the warning. Every
// rule lives in SetQFactorDialog.
class SetQFactorView : public DialogView {
public:
    SetQFactorView(SetQFactorDialog &dialog, QWidget *parent = nullptr);
};
