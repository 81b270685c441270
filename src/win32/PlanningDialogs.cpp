#include "win32/PlanningDialogs.h"

void SetQFactorWindow::bind(DialogBinder &binder)
{
    using Id = SetQFactorDialog::Id;
    SetQFactorDialog &w = m_window;
    binder.onText(Id::QEdit, [&w](const std::string &text) { w.qTyped(text); })
        .onClick(Id::CalculatedRadio, [&w] { w.calculatedClicked(); })
        .onClick(Id::SetToRadio, [&w] { w.setToClicked(); })
        .onClick(Id::OkButton, [this] {
            if (m_window.okClicked())
                close(IDOK);
        })
        .onClick(Id::CancelButton, [this] {
            m_window.cancelClicked();
            close(IDCANCEL);
        });
}
