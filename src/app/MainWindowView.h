#pragma once

#include "app/ControlBinder.h"
#include "app/MainWindow.h"

#include <QDialog>

// Draws the main window: lays out one widget per control of MainWindow and binds it to the
// control's id. Every rule lives in MainWindow; the binder shows its table and passes the
// user's actions to its commands.
class MainWindowView : public QDialog {
    Q_OBJECT
public:
    explicit MainWindowView(MainWindow &window, QWidget *parent = nullptr);

    MainWindow &window() { return m_window; }
    // The widget of a control, found by its id (objectName is "id<number>").
    QWidget *control(MainWindow::Id id) const { return m_binder->widget(id); }
    // Shows the window's table again (after the core window changed outside a command).
    void render() { m_binder->render(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void buildWidgets();
    void bindCommands();
    void showAbout();

    MainWindow &m_window;
    ControlBinder *m_binder;
};
