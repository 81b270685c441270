#pragma once

#include "app/DialogView.h"
#include "planning/TweakCellsDialog.h"

// Draws Tweak Cells: the segment's cells on the left, the selected cell's fields on the right.
// Every rule lives in TweakCellsDialog.
class TweakCellsView : public DialogView {
public:
    TweakCellsView(TweakCellsDialog &dialog, QWidget *parent = nullptr);
};
