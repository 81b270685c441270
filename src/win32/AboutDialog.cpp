#include "win32/AboutDialog.h"

#include "TavroVersion.h"
#include "platform/Desktop.h"
#include "win32/Win32Desktop.h"
#include "win32/resource.h"

#define TAVRO_WIDEN(text) L##text
#define TAVRO_WIDE(text) TAVRO_WIDEN(text)

std::string AboutDialog::homePage()
{
    return programFolder() + "\\USER-GUIDE.md";
}

ControlTable AboutDialog::controls()
{
    ControlTable table;
    table.add(IDOK, button("OK"));
    table.add(IDC_ABOUT_HOMEPAGE, button("HomePage"));
    return table;
}

void AboutDialog::bind(DialogBinder &binder)
{
    SetDlgItemTextW(handle(), IDC_ABOUT_VERSION, L"Tavro Version " TAVRO_WIDE(TAVRO_VERSION) L" BETA");
    SendDlgItemMessageW(handle(), IDC_ABOUT_ICON, STM_SETICON, WPARAM(LoadIconW(nullptr, IDI_APPLICATION)), 0);
    binder.onClick(IDOK, [this] { close(IDOK); });
    binder.onClick(IDC_ABOUT_HOMEPAGE, [this] {
        const std::string page = homePage();
        if (!m_desktop.openUrl(page))
            m_desktop.showMessage("Error opening web page \n" + page);
    });
}

bool AboutDialog::command(int id)
{
    if (id != IDCANCEL)
        return false;
    close(IDCANCEL);
    return true;
}
