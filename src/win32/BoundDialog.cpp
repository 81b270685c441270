#include "win32/BoundDialog.h"

HINSTANCE resourceModule()
{
    return GetModuleHandleW(nullptr);
}

INT_PTR BoundDialog::runModal(int templateId, HWND owner)
{
    m_modal = true;
    return DialogBoxParamW(resourceModule(), MAKEINTRESOURCEW(templateId), owner, &BoundDialog::procedure,
                           LPARAM(this));
}

HWND BoundDialog::openModeless(int templateId, HWND owner)
{
    m_modal = false;
    return CreateDialogParamW(resourceModule(), MAKEINTRESOURCEW(templateId), owner, &BoundDialog::procedure,
                              LPARAM(this));
}

void BoundDialog::close(INT_PTR result)
{
    if (m_binder)
        m_binder->detach();
    if (!m_handle)
        return;
    if (m_modal) {
        EndDialog(m_handle, result);
    } else {
        DestroyWindow(m_handle);
    }
}

bool BoundDialog::command(int)
{
    return false;
}

bool BoundDialog::message(UINT, WPARAM, LPARAM)
{
    return false;
}

INT_PTR CALLBACK BoundDialog::procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto *self = reinterpret_cast<BoundDialog *>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, LONG_PTR(self));
        self->m_handle = dialog;
        self->m_binder = std::make_unique<DialogBinder>(dialog, [self] { return self->controls(); });
        self->bind(*self->m_binder);
        self->m_binder->render();
        return TRUE;
    }
    auto *self = reinterpret_cast<BoundDialog *>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self)
        return FALSE;
    const INT_PTR result = self->dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        self->m_handle = nullptr;
    }
    return result;
}

INT_PTR BoundDialog::dispatch(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_binder && m_binder->handle(msg, wParam, lParam))
        return TRUE;
    if (msg == WM_COMMAND && command(LOWORD(wParam)))
        return TRUE;
    return message(msg, wParam, lParam) ? TRUE : FALSE;
}
