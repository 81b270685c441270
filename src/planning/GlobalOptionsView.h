#pragma once

#include "app/DialogView.h"
#include "planning/GlobalOptionsDialog.h"

// Draws Global Options: the output size with its slider, the restore of DVD-Rebuilder's files
// and the two program choosers. Every rule lives in GlobalOptionsDialog.
class GlobalOptionsView : public DialogView {
public:
    GlobalOptionsView(GlobalOptionsDialog &dialog, QWidget *parent = nullptr);
};
