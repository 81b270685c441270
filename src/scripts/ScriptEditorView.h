#pragma once

#include "app/DialogView.h"
#include "scripts/ScriptEditorDialog.h"

// Draws the script editor: the numbered script of the segment's first cell, the line to insert
// and where, and the commands on the scripts. Every rule lives in ScriptEditorDialog; the
// caller skips the window when the dialog's open() failed.
class ScriptEditorView : public DialogView {
public:
    ScriptEditorView(ScriptEditorDialog &dialog, QWidget *parent = nullptr);
};
