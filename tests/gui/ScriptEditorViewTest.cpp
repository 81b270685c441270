// The script editor opened from the real main window's "AVS &Editing" on the demo project:
// a line reaches the dialog, Test Script starts the player, OK writes the scripts, and the
// main window then treats the scripts as changed. The editor's rules are the core tests'.
#include "app/MainWindowView.h"

#include "ProjectGenerator.h"
#include "scripts/ScriptEditorDialog.h"
#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/TempFolder.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <fstream>
#include <memory>
#include <sstream>

using Id = MainWindow::Id;
using Editor = ScriptEditorDialog::Id;

namespace {

// The fake desktop, but programs really start and are waited for.
class StartingDesktop : public FakeDesktop {
public:
    bool startProgram(const std::string &program, const std::vector<std::string> &arguments) override
    {
        FakeDesktop::startProgram(program, arguments);
        QStringList list;
        for (const std::string &argument : arguments)
            list << QString::fromStdString(argument);
        return QProcess::execute(QString::fromStdString(program), list) == 0;
    }
};

std::string contents(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

template <typename Widget>
Widget *in(QDialog &child, int id)
{
    auto *widget = child.findChild<Widget *>(QString("id%1").arg(id));
    if (!widget)
        qFatal("no widget for control %d", id);
    return widget;
}

} // namespace

class ScriptEditorViewTest : public QObject {
    Q_OBJECT
private slots:
    void insertedLineIsTestedInThePlayerAndOkWritesEveryCellsScript()
    {
        TempFolder projectFolder;
        TempFolder settingsFolder;
        StartingDesktop desktop;
        AppSettings settings;
        Project project;
        MainWindow window{project, desktop, settings, settingsFolder.path()};
        std::string inf, error;
        QVERIFY(generateProject(demoOptions(1), projectFolder.path(), &inf, &error));
        MainWindowView view(window);
        view.show();
        desktop.chosenFiles.push_back(inf);
        qobject_cast<QPushButton *>(view.control(Id::LoadButton))->click();
        qobject_cast<QListWidget *>(view.control(Id::SegmentList))->setCurrentRow(1);

        const std::string recorded = projectFolder.file("player-arguments.txt");
        qputenv("TAVRO_RECORD_ARGS_TO", QByteArray::fromStdString(recorded));
        settings.mediaPlayerPath = TAVRO_RECORD_ARGS;

        const Segment &segment = project.segment(1);
        std::vector<std::string> before;
        for (const Cell &cell : segment.cells)
            before.push_back(contents(cell.name));
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
        qobject_cast<QPushButton *>(view.control(Id::ScriptEditorButton))->click();
        setChildDialogDriver({});

        QVERIFY(ran);
        QCOMPARE(title, QString(ScriptEditorDialog::windowTitle));
        QCOMPARE(segmentTitle, QString("VTS 1 - VobID 2"));
        QVERIFY(listing.endsWith(" - " + line));
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(desktop.messages.empty());

        // The player got the test script, which holds the inserted line.
        const std::string testScript = testScriptPathIn(settingsFolder.path());
        QCOMPARE(contents(recorded), testScript + "\n");
        QVERIFY(contents(testScript).find(line.toStdString() + "\r\n") != std::string::npos);

        // Every cell's script gained the line at its end and kept its original as ".bak".
        for (std::size_t i = 0; i < segment.cells.size(); ++i) {
            const std::string &name = segment.cells[i].name;
            QCOMPARE(contents(name + ".bak"), before[i]);
            QCOMPARE(contents(name), before[i] + line.toStdString() + "\r\n");
        }
        QVERIFY(segment.replanned);
        QVERIFY(project.scriptsModified);

        // Leaving the main window now asks first; "No" keeps it open.
        desktop.answers = {false};
        view.close();
        QVERIFY(view.isVisible());
        QCOMPARE(desktop.questions.size(), std::size_t(1));
        QCOMPARE(desktop.questions[0].text, std::string(MainWindow::exitQuestion));
    }
};

QTEST_MAIN(ScriptEditorViewTest)
#include "ScriptEditorViewTest.moc"
