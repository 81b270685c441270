#pragma once

// The main window and its view over a project in a scratch folder, as main() builds them: what
// the window tests and the screenshot tools start from. Failures to set it up end the program
// (qFatal), since nothing after them could be meant.

#include "app/BinderView.h"
#include "app/MainWindowView.h"

#include "ProjectGenerator.h"
#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/TempFolder.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The fake desktop, but programs really start and are waited for, so a test can read what
// they did.
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

// A control of a child window the main window opened, by its id.
template <typename Widget = QWidget>
Widget *in(QDialog &child, int id)
{
    auto *widget = child.findChild<Widget *>(QString("id%1").arg(id));
    if (!widget)
        qFatal("no widget for control %d in %s", id, qPrintable(child.windowTitle()));
    return widget;
}

// Types into a field as the user does, ending with `end`.
inline void type(QLineEdit *field, const QString &text, Qt::Key end = Qt::Key_Return)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, end);
}

template <typename DesktopKind = FakeDesktop>
struct MainWindowHarness {
    using Id = MainWindow::Id;

    TempFolder projectFolder;
    TempFolder settingsFolder;
    DesktopKind desktop;
    AppSettings settings;
    Project project;
    MainWindow window{project, desktop, settings, settingsFolder.path()};
    std::unique_ptr<MainWindowView> view = std::make_unique<MainWindowView>(window);
    std::string inf; // the loaded project's Rebuilder.INF

    ~MainWindowHarness() { setChildDialogDriver({}); }

    // Writes make-project's project (the demo, seed 1, unless given) and loads it through
    // "&Load RB Settings". The demo's rows:
    //   row 0  VTS 1 - Vob-ID 1  VBR, 3 cells
    //   row 1  VTS 1 - Vob-ID 2  OPV, 5 cells
    //   row 2  VTS 1 - Vob-ID 3  VBR, 5 cells
    //   row 3  VTS 2 - Vob-ID 1, row 4  VTS 2 - Vob-ID 2 (a third, tiny segment of VTS 2 is hidden)
    void loadDemo(const GeneratorOptions &options = demoOptions(1))
    {
        std::string error;
        if (!generateProject(options, projectFolder.path(), &inf, &error))
            qFatal("cannot write the project: %s", error.c_str());
        view->show();
        desktop.chosenFiles.push_back(inf);
        click(Id::LoadButton);
        if (!project.isLoaded())
            qFatal("the project did not load");
    }

    template <typename Widget = QWidget>
    Widget *w(Id id) const
    {
        auto *widget = qobject_cast<Widget *>(view->control(id));
        if (!widget)
            qFatal("no widget for control %d", int(id));
        return widget;
    }
    QListWidget *list() const { return w<QListWidget>(Id::SegmentList); }
    QString text(Id id) const { return w<QLineEdit>(id)->text(); }
    void click(Id id) const { w<QAbstractButton>(id)->click(); }
    void selectRow(int row) const { list()->setCurrentRow(row); }

    // Presses a main-window button whose window `drive` then works in, from inside its modal
    // loop. Returns how the window ended (-1 while it stays open); -2 when no window ran.
    int runWindow(Id button, const std::function<void(QDialog &)> &drive)
    {
        int result = -1;
        bool ran = false;
        setChildDialogDriver([&](QDialog &child) {
            ran = true;
            drive(child);
            if (!child.isVisible())
                result = child.result();
        });
        click(button);
        setChildDialogDriver({});
        if (!ran)
            qWarning("no window opened for control %d", int(button));
        return ran ? result : -2;
    }
};
