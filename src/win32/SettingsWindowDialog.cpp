#include "win32/SettingsWindowDialog.h"

#include "win32/WideText.h"
#include "win32/resource.h"

int SettingsWindowDialog::templateFor(SettingsWindow kind)
{
    switch (kind) {
    case SettingsWindow::Cce270: return IDD_CCE270_SETTINGS;
    case SettingsWindow::CceSp: return IDD_CCESP_SETTINGS;
    case SettingsWindow::Generic: return IDD_ENCODER_SETTINGS;
    case SettingsWindow::None: break;
    }
    return 0;
}

void SettingsWindowDialog::bind(DialogBinder &binder)
{
    setWindowText(handle(), m_window.caption());
    routeById(binder, m_window);
    binder.onClick(SettingsDialogBase::OkButton, [this] {
        if (m_window.okClicked())
            close(IDOK);
    });
    binder.onClick(SettingsDialogBase::CancelButton, [this] {
        m_window.cancelClicked();
        close(IDCANCEL);
    });
    binder.focusAfterCommand([this] { return m_window.takeFocusRequest(); });
}

bool runSettingsWindow(HWND owner, const Project &project, Segment &segment, Desktop &desktop)
{
    const std::unique_ptr<SettingsDialogBase> window = openSettingsDialog(project, segment, desktop);
    if (!window)
        return false;
    SettingsWindowDialog dialog(*window);
    dialog.runModal(dialog.templateId(), owner);
    return true;
}
