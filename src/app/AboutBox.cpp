#include "app/AboutBox.h"

#include "platform/Desktop.h"

#include "TavroVersion.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

AboutBox::AboutBox(Desktop &desktop, QWidget *parent)
    : QDialog(parent)
    , m_desktop(desktop)
{
    setWindowTitle("About Tavro");
    setObjectName("aboutBox");

    auto *icon = new QLabel(this);
    icon->setPixmap(windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48)
                                          : windowIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);

    auto *version = new QLabel("Tavro Version " TAVRO_VERSION " BETA", this);
    version->setObjectName("versionLabel");
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);
    auto *credits = new QLabel("Re-plans DVD-Rebuilder projects for the CCE encoder.\n"
                               "Written by the Tavro developers.\n"
                               "Questions and reports: see the user guide (HomePage).",
                               this);
    credits->setObjectName("creditsLabel");

    auto *text = new QVBoxLayout;
    text->addWidget(version);
    text->addWidget(credits);
    text->addStretch();

    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(text, 1);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    QPushButton *home = buttons->addButton("HomePage", QDialogButtonBox::ActionRole);
    home->setObjectName("homePageButton");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(home, &QPushButton::clicked, this, &AboutBox::openHomePage);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    setLayout(layout);
}

QString AboutBox::homePage()
{
    // The guide is copied beside the program when it is built or installed.
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("USER-GUIDE.md");
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = QDir(QCoreApplication::applicationDirPath()).filePath("../share/doc/tavro/USER-GUIDE.md");
    return QFileInfo::exists(installed) ? QDir::cleanPath(installed) : beside;
}

void AboutBox::openHomePage()
{
    const QString page = homePage();
    if (!m_desktop.openUrl(page.toStdString()))
        m_desktop.showMessage("Error opening the user guide \n" + QDir::toNativeSeparators(page).toStdString());
}
