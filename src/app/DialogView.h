#pragma once

// What the Qt drawings of the modal child windows (Tweak Cells, Link Vob-IDs, ...) share: the
// binder over the core window's control table, the close box and Escape reaching the core's
// close command, the window ending when the core's result() says so, and a few layout helpers
// so that each view only places its widgets.

#include "app/ControlBinder.h"
#include "platform/DialogResult.h"

#include <QDialog>

#include <functional>

class QBoxLayout;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class DialogView : public QDialog {
    Q_OBJECT
public:
    // `table` and `result` read the core window; `closeCommand` is its answer to the close box
    // and Escape (Cancel, or the window's own close command).
    DialogView(std::function<ControlTable()> table, std::function<DialogResult()> result,
               std::function<void()> closeCommand, QWidget *parent);

    // The widget of a control, found by its id (objectName is "id<number>").
    QWidget *control(int id) const { return m_binder->widget(id); }
    void render() { m_binder->render(); }

protected:
    ControlBinder &binder() { return *m_binder; }
    // A button whose command may end the window: once it ran, the window closes when the
    // core's result is no longer Open, with Accepted for Ok and Rejected for Cancel.
    void onClickedMayClose(int id, std::function<void()> command);
    // Gives the window its title and its size in dialog units (a quarter of the dialog font's
    // average character width across, an eighth of its height down, as the window has always
    // been measured), grown to whatever the layout needs so nothing is clipped; then renders.
    void finishLayout(const char *title, int widthUnits, int heightUnits);

    void reject() override;

private:
    void closeWhenEnded();

    ControlBinder *m_binder;
    std::function<DialogResult()> m_result;
    std::function<void()> m_closeCommand;
};

namespace dialogLayout {

// Pixels of `x` horizontal dialog units of `widget`'s font.
int horizontalUnits(const QWidget &widget, int x);
// A read-only or typed field wide enough to show `sample` whole.
QLineEdit *fieldFor(QLineEdit *field, const char *sample);
// A list whose rows are printf columns ("Vob-ID %3d   Cell %4d"): a fixed-pitch font so the
// columns line up, wide enough for `sample`, rows of one height.
QListWidget *columnList(QListWidget *list, const char *sample);
// A label with a buddy field, so a mnemonic in the text reaches the field.
QLabel *labelFor(const char *text, QWidget *buddy, QWidget *parent);
// The window's closing buttons, pushed to the right edge.
QHBoxLayout *buttonRow(std::initializer_list<QPushButton *> buttons);

} // namespace dialogLayout
