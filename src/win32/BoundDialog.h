#pragma once

// A dialog from a resource template whose controls a DialogBinder draws from a core window.
// A window of the Windows front-end derives from it and fills in two things:
//   controls(): the core window's control table;
//   bind(binder): the routes from its controls to the core window's commands, and what the
//     dialog does on opening (its caption, a first command).
// OK and Cancel close the dialog through close(); a window whose table has no Cancel button
// (the main window) handles IDCANCEL (Escape, the close box) in command().

#include "win32/DialogBinder.h"

#include <memory>

class BoundDialog {
public:
    virtual ~BoundDialog() = default;

    // Runs the dialog modally over `owner`; returns what close() was given (-1 on failure).
    INT_PTR runModal(int templateId, HWND owner);
    // Opens the dialog without a modal loop (tests); nullptr on failure. close() destroys it.
    HWND openModeless(int templateId, HWND owner);

    HWND handle() const { return m_handle; }
    DialogBinder &binder() { return *m_binder; }

protected:
    virtual ControlTable controls() = 0;
    virtual void bind(DialogBinder &binder) = 0;
    // WM_COMMAND of a control or menu entry the binder has no route for (IDCANCEL of the main
    // window, system menu entries arrive in message()). True when handled.
    virtual bool command(int id);
    // Any other message; true when handled.
    virtual bool message(UINT message, WPARAM wParam, LPARAM lParam);

    void close(INT_PTR result);

private:
    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_handle = nullptr;
    bool m_modal = true;
    std::unique_ptr<DialogBinder> m_binder;
};

// The module whose resources hold the templates (the executable).
HINSTANCE resourceModule();
