// The script editor opened from the real main window's "AVS &Editing" on the demo project:
// a line reaches the dialog, Test Script starts the player, OK writes the scripts, and the
// main window then treats the scripts as changed. The editor's rules are the core tests'.
#include "MainWindowHarness.h"

#include "scripts/ScriptEditorDialog.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>

using Id = MainWindow::Id;
using Editor = ScriptEditorDialog::Id;

class ScriptEditorViewTest : public QObject {
    Q_OBJECT
private slots:
    void insertedLineIsTestedInThePlayerAndOkWritesEveryCellsScript()
    {
        MainWindowHarness<StartingDesktop> h;
        h.loadDemo();
        h.selectRow(1);
        auto &[projectFolder, settingsFolder, desktop, settings, project, window, view, inf] = h;

        const std::string recorded = projectFolder.file("player-arguments.txt");
        qputenv("TAVRO_RECORD_ARGS_TO", QByteArray::fromStdString(recorded));
        settings.mediaPlayerPath = TAVRO_RECORD_ARGS;

        const Segment &segment = project.segment(1);
        std::vector<std::string> before;
        for (const Cell &cell : segment.cells)
            before.push_back(readBytes(cell.name));
        QVERIFY(before.size() > 1);

        const QString line = "LanczosResize(352,240)";
        QString title, segmentTitle, listing;
        bool ran = false;
        int result = -1;
        setChildDialogDriver([&](QDialog &child) {
            ran = true;
            title = child.windowTitle();
            segmentTitle = in<QLineEdit>(child, Editor::TitleEdit)->text();
            auto *favourites = in<QComboBox>(child, Editor::FavouritesBox);
            favourites->setFocus();
            favourites->lineEdit()->selectAll();
            QTest::keyClicks(favourites->lineEdit(), line);
            QTest::keyClick(favourites->lineEdit(), Qt::Key_Return); // commits; the editor stays open
            QVERIFY(child.isVisible());
            in<QPushButton>(child, Editor::AddLineButton)->click();
            listing = in<QPlainTextEdit>(child, Editor::Listing)->toPlainText();
            in<QPushButton>(child, Editor::TestButton)->click();
            in<QPushButton>(child, Editor::OkButton)->click();
            if (!child.isVisible())
                result = child.result();
        });
        h.click(Id::ScriptEditorButton);
        setChildDialogDriver({});

        QVERIFY(ran);
        QCOMPARE(title, QString(ScriptEditorDialog::windowTitle));
        QCOMPARE(segmentTitle, QString("VTS 1 - VobID 2"));
        QVERIFY(listing.endsWith(" - " + line));
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(desktop.messages.empty());

        // The player got the test script, which holds the inserted line.
        const std::string testScript = testScriptPathIn(settingsFolder.path());
        QCOMPARE(readBytes(recorded), testScript + "\n");
        QVERIFY(readBytes(testScript).find(line.toStdString() + "\r\n") != std::string::npos);

        // Every cell's script gained the line at its end and kept its original as ".bak".
        for (std::size_t i = 0; i < segment.cells.size(); ++i) {
            const std::string &name = segment.cells[i].name;
            QCOMPARE(readBytes(name + ".bak"), before[i]);
            QCOMPARE(readBytes(name), before[i] + line.toStdString() + "\r\n");
        }
        QVERIFY(segment.replanned);
        QVERIFY(project.scriptsModified);

        // Leaving the main window now asks first; "No" keeps it open.
        desktop.answers = {false};
        view->close();
        QVERIFY(view->isVisible());
        QCOMPARE(desktop.questions.size(), std::size_t(1));
        QCOMPARE(desktop.questions[0].text, std::string(MainWindow::exitQuestion));
    }
};

QTEST_MAIN(ScriptEditorViewTest)
#include "ScriptEditorViewTest.moc"
