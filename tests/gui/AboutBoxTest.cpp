#include "app/AboutBox.h"
#include "app/QtDesktop.h"

#include "support/FakeDesktop.h"

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
        QCOMPARE(desktop.lastMessage(), "Error opening web page \n" + desktop.urls[1]);
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
};

QTEST_MAIN(AboutBoxTest)
#include "AboutBoxTest.moc"
