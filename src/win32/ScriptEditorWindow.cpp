#include "win32/ScriptEditorWindow.h"

#include "app/MainWindow.h"
#include "win32/WideText.h"
#include "win32/resource.h"

ScriptEditorWindow::~ScriptEditorWindow()
{
    if (m_listingFont)
        DeleteObject(m_listingFont);
}

void ScriptEditorWindow::bind(DialogBinder &binder)
{
    setWindowText(handle(), m_editor.caption());
    // The dialog's font at its size, in a fixed pitch.
    LOGFONTW font = {};
    if (auto dialogFont = HFONT(SendMessageW(handle(), WM_GETFONT, 0, 0)))
        GetObjectW(dialogFont, sizeof font, &font);
    font.lfWeight = FW_NORMAL;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpynW(font.lfFaceName, L"Courier New", LF_FACESIZE);
    m_listingFont = CreateFontIndirectW(&font);
    if (m_listingFont)
        SendDlgItemMessageW(handle(), ScriptEditorDialog::Listing, WM_SETFONT, WPARAM(m_listingFont), FALSE);

    using Id = ScriptEditorDialog::Id;
    ScriptEditorDialog &e = m_editor;
    binder.onRow(Id::LineList, [&e](int row) { e.lineSelected(row); })
        // A row chosen from the list and a typed line that loses the focus (or takes Enter) alike.
        .onText(Id::FavouritesBox, [&e](const std::string &text) { e.lineTyped(text); })
        .onClick(Id::AddLineButton, [&e] { e.insertClicked(); })
        .onClick(Id::RemoveLineButton, [&e] { e.removeClicked(); })
        .onClick(Id::AddFavouriteButton, [&e] { e.addFavouriteClicked(); })
        .onClick(Id::ResetButton, [&e] { e.resetClicked(); })
        .onClick(Id::TestButton, [&e] { e.testClicked(); })
        .onClick(Id::ViewOriginalButton, [&e] { e.viewOriginalClicked(); })
        .onClick(Id::RestoreButton, [&e] { e.restoreClicked(); })
        .onClick(Id::OkButton, [&e] { e.okClicked(); })
        .onClick(Id::CancelButton, [&e] { e.cancelClicked(); })
        // OK that saved, Cancel, and a restore after which a script went missing end the editor.
        .afterCommand([this] {
            if (m_editor.result() != DialogResult::Open)
                close(INT_PTR(m_editor.result()));
        });
}

void runScriptEditor(HWND owner, MainWindow &main)
{
    ScriptEditorDialog editor(main.project(), main.currentSegment(), main.settings(), main.settingsFolder(),
                              main.desktop());
    if (editor.open()) {
        ScriptEditorWindow dialog(editor);
        dialog.runModal(IDD_SCRIPT_EDITOR, owner);
    }
    main.afterScriptEditor();
}
