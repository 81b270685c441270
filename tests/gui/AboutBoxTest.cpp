#include "app/AboutBox.h"
#include "app/QtDesktop.h"

#include "app/ControlBinder.h"
#include "support/FakeDesktop.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

class AboutBoxTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheVersionAndOpensTheGuide()
    {
        FakeDesktop desktop;
        AboutBox about(desktop);
        QCOMPARE(about.windowTitle(), QString("About Tavro"));
        QCOMPARE(about.findChild<QLabel *>("versionLabel")->text(), QString("Tavro Version 0.17 BETA"));
        about.findChild<QPushButton *>("homePageButton")->click();
        QCOMPARE(desktop.urls.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(desktop.urls[0]).endsWith("USER-GUIDE.md"));
        QVERIFY(desktop.messages.empty());

        desktop.openUrlSucceeds = false;
        about.findChild<QPushButton *>("homePageButton")->click();
        // The message names the file that could not be opened.
        QCOMPARE(desktop.lastMessage(), "Error opening the user guide \n"
                                            + QDir::toNativeSeparators(QString::fromStdString(desktop.urls[1])).toStdString());
    }

    void fileFiltersMatchInAnyLetterCase()
    {
        struct Case {
            Desktop::FileFilter filter;
            const char *name;
            bool matches;
        };
        const Case cases[] = {
            {{"Rebuilder.inf", "REBUILDER.INF"}, "Rebuilder.INF", true},
            {{"Rebuilder.inf", "REBUILDER.INF"}, "rebuilder.inf", true},
            {{"Rebuilder.inf", "REBUILDER.INF"}, "Rebuilder.ECL", false},
            {{"CCE Program (*.exe)", "*.exe"}, "cctsp.EXE", true},
            {{"All files", "*"}, "cce", true},
        };
        for (const Case &c : cases) {
            const QString filter = QString::fromStdString(qtNameFilter(c.filter));
            // Qt's file dialog matches the patterns between the parentheses as wildcards.
            const QString patterns = filter.section('(', -1).chopped(1);
            bool matched = false;
            for (const QString &pattern : patterns.split(' ', Qt::SkipEmptyParts)) {
                const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern));
                matched = matched || re.match(c.name).hasMatch();
            }
#ifndef _WIN32
            QVERIFY2(matched == c.matches, qPrintable(filter + " / " + c.name));
#endif
            QVERIFY(filter.startsWith(QString::fromStdString(c.filter.description) + " ("));
        }
    }

    void fileChoosersShowTheFilterNameAndStartInTheLastFolderChosen()
    {
        TempFolder first;
        TempFolder second;
        const std::string inf = first.write("Rebuilder.INF", "");
        const std::string player = second.write("player.exe", "");
        QtDesktop desktop;
        struct Seen {
            QString folder;
            QStringList filters;
            bool detailsHidden = false;
        };
        std::vector<Seen> seen;
        auto choose = [&seen](const std::string &path) {
            setChildDialogDriver([&seen, path](QDialog &child) {
                auto &dialog = static_cast<QFileDialog &>(child);
                seen.push_back({QFileInfo(dialog.directory().absolutePath()).canonicalFilePath(), dialog.nameFilters(),
                                dialog.testOption(QFileDialog::HideNameFilterDetails)});
                dialog.selectFile(QString::fromStdString(path));
                child.accept(); // as the Open button does
            });
        };
        choose(inf);
        QCOMPARE(desktop.chooseOpenFile("Open Rebuilder.inf ...", parseFilterString("Rebuilder.inf|REBUILDER.INF||"),
                                        "REBUILDER.INF"),
                 std::optional<std::string>(QDir::toNativeSeparators(QString::fromStdString(inf)).toStdString()));
        QVERIFY(seen[0].detailsHidden);
        QVERIFY(seen[0].filters.value(0).startsWith("Rebuilder.inf ("));
        choose(player);
        QVERIFY(desktop.chooseOpenFile("Select your mediaplayer ...", parseFilterString("MediaPlayer Program (*.exe)|*.exe||"), ""));
        choose(player);
        QVERIFY(desktop.chooseOpenFile("Select CCE executable", parseFilterString("CCE executable (*.exe)|*.exe||"), ""));
        setChildDialogDriver({});
        const QString firstFolder = QFileInfo(QString::fromStdString(first.path())).canonicalFilePath();
        const QString secondFolder = QFileInfo(QString::fromStdString(second.path())).canonicalFilePath();
        QCOMPARE(seen[1].folder, firstFolder);
        QCOMPARE(seen[2].folder, secondFolder);
    }
};

QTEST_MAIN(AboutBoxTest)
#include "AboutBoxTest.moc"
