#pragma once

// The script editor on Windows: the IDD_SCRIPT_EDITOR template over ScriptEditorDialog. The
// template's default button is the hidden one (1213), so Enter in the favourites box applies
// the typed line and presses nothing; OK and Cancel are plain buttons. Escape and the close box
// reach Cancel. The listing is drawn in a fixed-pitch font, so filter arguments line up.

#include "scripts/ScriptEditorDialog.h"
#include "win32/BoundDialog.h"

class MainWindow;

class ScriptEditorWindow : public BoundDialog {
public:
    explicit ScriptEditorWindow(ScriptEditorDialog &editor) : m_editor(editor) {}
    ~ScriptEditorWindow() override;

protected:
    ControlTable controls() override { return m_editor.controls(); }
    void bind(DialogBinder &binder) override;

private:
    ScriptEditorDialog &m_editor;
    HFONT m_listingFont = nullptr;
};

// "AVS &Editing": the editor on the main window's segment, modally over `owner`, unless its
// scripts are missing or differ in size (the user has been told); then the main window's
// afterScriptEditor().
void runScriptEditor(HWND owner, MainWindow &main);
