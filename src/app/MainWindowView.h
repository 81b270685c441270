#pragma once

#include "app/MainWindow.h"

#include <QDialog>
#include <QHash>

#include <functional>
#include <string>

class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
struct AppSettings;

// Draws the main window. Every rule lives in MainWindow; this class reads the controls into
// it, calls one command and writes every field and control state back.
class MainWindowView : public QDialog {
    Q_OBJECT
public:
    MainWindowView(MainWindow &window, Desktop &desktop, AppSettings &settings, std::string settingsFolder,
                   QWidget *parent = nullptr);

    MainWindow &window() { return m_window; }
    // The widget of a control, found by its id (objectName is "id<number>").
    QWidget *control(MainWindow::Id id) const;
    // Writes every field and control state of the core window into the widgets.
    void writeControls();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void reject() override;

private:
    void buildWidgets();
    template <typename Widget>
    Widget *make(MainWindow::Id id, Widget *widget);
    QString caption(MainWindow::Id id) const;
    void run(const std::function<void()> &command);

    void onLoad();
    void onRowChanged(int row);
    void onBitrateEditingFinished();
    void onSliderMoved(int position);
    void onSave();
    void onAbout();

    MainWindow &m_window;
    Desktop &m_desktop;
    AppSettings &m_settings;
    std::string m_settingsFolder;
    QHash<int, QWidget *> m_controls;
    bool m_writing = false;
    bool m_applyingBitrate = false;

    QListWidget *m_list = nullptr;
    QLineEdit *m_bitrate = nullptr;
    QSlider *m_slider = nullptr;
    QCheckBox *m_autosized = nullptr;
    QCheckBox *m_tweaked = nullptr;
    QCheckBox *m_hide = nullptr;
    QCheckBox *m_opvForSmall = nullptr;
    QRadioButton *m_vbr = nullptr;
    QRadioButton *m_opv = nullptr;
};
