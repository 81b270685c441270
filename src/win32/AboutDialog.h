#pragma once

#include "win32/BoundDialog.h"

class Desktop;

// "About Tavro": the version, the credits, OK and "HomePage" (the user guide beside the program).
class AboutDialog : public BoundDialog {
public:
    explicit AboutDialog(Desktop &desktop) : m_desktop(desktop) {}

    static std::string homePage();

protected:
    ControlTable controls() override;
    void bind(DialogBinder &binder) override;
    bool command(int id) override;

private:
    Desktop &m_desktop;
};
