#pragma once

#include <QDialog>

class Desktop;

// "About Tavro": the version, the credits, and a button that opens the user guide.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    AboutBox(Desktop &desktop, QWidget *parent = nullptr);

    // Where "HomePage" points: the user guide shipped beside the program.
    static QString homePage();

private:
    void openHomePage();

    Desktop &m_desktop;
};
