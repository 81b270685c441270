#include "app/DialogView.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

// The dialog font's average character width, measured over the alphabet as the dialog units
// of the Windows dialogs are.
double averageCharWidth(const QWidget &widget)
{
    static const QString alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    return widget.fontMetrics().horizontalAdvance(alphabet) / 52.0;
}

} // namespace

DialogView::DialogView(std::function<ControlTable()> table, std::function<DialogResult()> result,
                       std::function<void()> closeCommand, QWidget *parent)
    : QDialog(parent)
    , m_binder(new ControlBinder(this, std::move(table)))
    , m_result(std::move(result))
    , m_closeCommand(std::move(closeCommand))
{
}

void DialogView::onClickedMayClose(int id, std::function<void()> command)
{
    m_binder->onClicked(id, [this, command = std::move(command)] {
        command();
        closeWhenEnded();
    });
}

void DialogView::finishLayout(const char *title, int widthUnits, int heightUnits)
{
    setWindowTitle(title);
    const QSize units(dialogLayout::horizontalUnits(*this, widthUnits), fontMetrics().height() * heightUnits / 8);
    m_binder->render();
    resize(units.expandedTo(sizeHint()));
}

void DialogView::reject()
{
    // Escape, the close box, and a test driver that leaves the window open all end up here.
    m_binder->run(m_closeCommand);
    closeWhenEnded();
}

void DialogView::closeWhenEnded()
{
    switch (m_result()) {
    case DialogResult::Open:
        return;
    case DialogResult::Ok:
        done(QDialog::Accepted);
        return;
    case DialogResult::Cancel:
        done(QDialog::Rejected);
        return;
    }
}

namespace dialogLayout {

int horizontalUnits(const QWidget &widget, int x)
{
    return int(x * averageCharWidth(widget) / 4.0 + 0.5);
}

QLineEdit *fieldFor(QLineEdit *field, const char *sample)
{
    // Room for the frame and the text margins on both sides.
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QString::fromUtf8(sample)) + 16);
    return field;
}

QListWidget *columnList(QListWidget *list, const char *sample)
{
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list->setUniformItemSizes(true);
    // The rows, the frame and a vertical scroll bar.
    list->setMinimumWidth(list->fontMetrics().horizontalAdvance(QString::fromUtf8(sample)) + 40);
    return list;
}

QLabel *labelFor(const char *text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(QString::fromUtf8(text), parent);
    label->setBuddy(buddy);
    return label;
}

QHBoxLayout *buttonRow(std::initializer_list<QPushButton *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton *button : buttons)
        row->addWidget(button);
    return row;
}

} // namespace dialogLayout
