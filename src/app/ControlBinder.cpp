#include "app/ControlBinder.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>

#include <algorithm>

namespace {

QString q(const std::string &text)
{
    return QString::fromStdString(text);
}

QStringList qRows(const std::vector<std::string> &rows)
{
    QStringList list;
    list.reserve(qsizetype(rows.size()));
    for (const std::string &row : rows)
        list << q(row);
    return list;
}

// The edit a text command reads: the line edit itself, or an editable drop-down's.
QLineEdit *textField(QWidget *widget)
{
    if (auto *field = qobject_cast<QLineEdit *>(widget))
        return field;
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        return combo->lineEdit();
    return nullptr;
}

// Windows greys the background of a read-only edit; Qt's styles draw it like an editable one.
void showReadOnly(QLineEdit *field, bool readOnly)
{
    if (field->isReadOnly() == readOnly)
        return;
    field->setReadOnly(readOnly);
    if (readOnly) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        field->setPalette(palette);
        field->setFocusPolicy(Qt::ClickFocus);
    } else {
        field->setPalette(QPalette());
        field->setFocusPolicy(Qt::StrongFocus);
    }
}

std::vector<int> selectedRowsOf(const QListWidget *list)
{
    std::vector<int> rows;
    for (const QListWidgetItem *item : list->selectedItems())
        rows.push_back(list->row(item));
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

ControlBinder::ControlBinder(QWidget *owner, std::function<ControlTable()> table)
    : QObject(owner), m_table(std::move(table))
{
}

void ControlBinder::bindWidget(QWidget *widget, int id)
{
    widget->setObjectName(QString("id%1").arg(id));
    m_widgets.insert(id, widget);
}

// ---- Rendering -------------------------------------------------------------------------------

void ControlBinder::render()
{
    const bool wasRendering = m_rendering;
    m_rendering = true;
    const ControlTable table = m_table();
    for (const Control &control : table.all()) {
        if (QWidget *widget = m_widgets.value(control.id, nullptr))
            renderControl(widget, control);
    }
    m_rendering = wasRendering;
}

void ControlBinder::renderControl(QWidget *widget, const Control &c)
{
    if (widget->isEnabled() != c.enabled)
        widget->setEnabled(c.enabled);
    if (widget->isHidden() == c.visible)
        widget->setVisible(c.visible);

    switch (c.kind) {
    case ControlKind::Label:
        if (auto *label = qobject_cast<QLabel *>(widget); label && label->text() != q(c.text))
            label->setText(q(c.text));
        return;
    case ControlKind::Group:
        if (auto *group = qobject_cast<QGroupBox *>(widget); group && group->title() != q(c.text))
            group->setTitle(q(c.text));
        return;
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: {
        auto *button = qobject_cast<QAbstractButton *>(widget);
        if (!button)
            return;
        if (button->text() != q(c.text))
            button->setText(q(c.text));
        if (c.kind == ControlKind::Button)
            return;
        // Radio buttons are exclusive only while one is checked; a window may check neither.
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(c.checked);
        button->setAutoExclusive(exclusive);
        return;
    }
    case ControlKind::Edit:
        if (auto *field = qobject_cast<QLineEdit *>(widget)) {
            showReadOnly(field, c.readOnly);
            // Written whenever it differs from the table, so a refused entry shows the value
            // again; a number is shown from its first digit.
            if (field->text() != q(c.text)) {
                field->setText(q(c.text));
                field->setCursorPosition(0);
            }
            m_shownText.insert(c.id, c.text);
        }
        return;
    case ControlKind::TextBox:
        if (auto *box = qobject_cast<QPlainTextEdit *>(widget)) {
            box->setReadOnly(c.readOnly);
            std::vector<std::string> &shown = m_shownRows[c.id];
            if (shown == c.rows)
                return;
            // A log grows at its end: append only the new lines, and keep them in view.
            const bool grows = c.rows.size() > shown.size() && std::equal(shown.begin(), shown.end(), c.rows.begin());
            if (grows && !shown.empty()) {
                for (std::size_t i = shown.size(); i < c.rows.size(); ++i)
                    box->appendPlainText(q(c.rows[i]));
            } else {
                box->setPlainText(qRows(c.rows).join('\n'));
            }
            box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum());
            shown = c.rows;
        }
        return;
    case ControlKind::List:
    case ControlKind::MultiList:
        if (auto *list = qobject_cast<QListWidget *>(widget)) {
            std::vector<std::string> &shown = m_shownRows[c.id];
            if (shown != c.rows || list->count() != int(c.rows.size())) {
                list->clear();
                list->addItems(qRows(c.rows));
                shown = c.rows;
            }
            if (c.kind == ControlKind::List) {
                if (list->currentRow() != c.selected)
                    list->setCurrentRow(c.selected);
                return;
            }
            if (selectedRowsOf(list) != c.selectedRows) {
                list->clearSelection();
                for (int row : c.selectedRows)
                    if (QListWidgetItem *item = list->item(row))
                        item->setSelected(true);
            }
            if (c.selected >= 0 && list->currentRow() != c.selected)
                list->setCurrentRow(c.selected, QItemSelectionModel::NoUpdate);
            m_shownSelection.insert(c.id, {c.selectedRows, list->currentRow()});
        }
        return;
    case ControlKind::DropDown:
    case ControlKind::EditableDropDown:
        if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            std::vector<std::string> &shown = m_shownRows[c.id];
            if (shown != c.rows || combo->count() != int(c.rows.size())) {
                combo->clear();
                combo->addItems(qRows(c.rows));
                shown = c.rows;
            }
            if (c.kind == ControlKind::DropDown) {
                if (combo->currentIndex() != c.selected)
                    combo->setCurrentIndex(c.selected);
                return;
            }
            if (combo->currentText() != q(c.text))
                combo->setEditText(q(c.text));
            m_shownText.insert(c.id, c.text);
        }
        return;
    case ControlKind::Slider:
        if (auto *slider = qobject_cast<QSlider *>(widget)) {
            if (slider->minimum() != c.minimum || slider->maximum() != c.maximum)
                slider->setRange(c.minimum, c.maximum);
            if (slider->value() != c.position)
                slider->setValue(c.position);
        }
        return;
    }
}

// ---- Actions ---------------------------------------------------------------------------------

void ControlBinder::run(const std::function<void()> &command)
{
    const bool wasRunning = m_running;
    m_running = true;
    command();
    m_running = wasRunning;
    render();
}

void ControlBinder::forward(const std::function<void()> &command)
{
    if (busy())
        return;
    run(command);
}

void ControlBinder::onClicked(int id, std::function<void()> command)
{
    auto *button = qobject_cast<QAbstractButton *>(widget(id));
    if (!button)
        return;
    connect(button, &QAbstractButton::clicked, this, [this, command = std::move(command)] { forward(command); });
}

void ControlBinder::onChecked(int id, std::function<void(bool)> command)
{
    auto *button = qobject_cast<QAbstractButton *>(widget(id));
    if (!button)
        return;
    connect(button, &QAbstractButton::clicked, this,
            [this, command = std::move(command)](bool checked) { forward([&] { command(checked); }); });
}

void ControlBinder::onTextCommitted(int id, std::function<void(const std::string &)> command)
{
    QWidget *bound = widget(id);
    if (auto *combo = qobject_cast<QComboBox *>(bound); combo && !combo->isEditable())
        combo->setEditable(true);
    QLineEdit *field = textField(bound);
    if (!field)
        return;
    m_textCommands.insert(id, std::move(command));
    field->installEventFilter(this);
    connect(field, &QLineEdit::editingFinished, this, [this, id] { commitText(id); });
    if (auto *combo = qobject_cast<QComboBox *>(bound)) {
        connect(combo, &QComboBox::activated, this, [this, id, combo](int index) {
            combo->setEditText(combo->itemText(index));
            commitText(id);
        });
    }
}

void ControlBinder::onTextEdited(int id, std::function<void(const std::string &)> command)
{
    QLineEdit *field = textField(widget(id));
    if (!field)
        return;
    // textEdited comes from the user only, never from the binder writing the field.
    connect(field, &QLineEdit::textEdited, this, [this, id, command = std::move(command)](const QString &edited) {
        const std::string text = edited.toStdString();
        forward([&] { command(text); });
    });
}

void ControlBinder::commitText(int id)
{
    QWidget *bound = widget(id);
    QLineEdit *field = textField(bound);
    if (busy() || !field || !bound->isEnabled() || field->isReadOnly())
        return;
    const std::string text = field->text().toStdString();
    // Leaving a field as it was shown is no entry: nothing is committed twice.
    if (const auto shown = m_shownText.constFind(id); shown != m_shownText.constEnd() && *shown == text)
        return;
    m_shownText.insert(id, text);
    const auto command = m_textCommands.value(id);
    forward([&] { command(text); });
}

bool ControlBinder::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            for (auto it = m_widgets.constBegin(); it != m_widgets.constEnd(); ++it) {
                if (textField(it.value()) == watched && m_textCommands.contains(it.key())) {
                    commitText(it.key());
                    return true;
                }
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void ControlBinder::onRowSelected(int id, std::function<void(int)> command)
{
    QWidget *bound = widget(id);
    if (auto *list = qobject_cast<QListWidget *>(bound)) {
        connect(list, &QListWidget::currentRowChanged, this, [this, command = std::move(command)](int row) {
            if (row >= 0)
                forward([&] { command(row); });
        });
    } else if (auto *combo = qobject_cast<QComboBox *>(bound)) {
        connect(combo, &QComboBox::activated, this,
                [this, command = std::move(command)](int row) { forward([&] { command(row); }); });
    }
}

void ControlBinder::onRowsSelected(int id, std::function<void(const std::vector<int> &, int)> command)
{
    auto *list = qobject_cast<QListWidget *>(widget(id));
    if (!list)
        return;
    auto changed = [this, id, list, command = std::move(command)] {
        if (busy())
            return;
        std::pair<std::vector<int>, int> now{selectedRowsOf(list), list->currentRow()};
        // A click changes the selection and the caret together: one command, not two.
        if (const auto shown = m_shownSelection.constFind(id); shown != m_shownSelection.constEnd() && *shown == now)
            return;
        m_shownSelection.insert(id, now);
        forward([&] { command(now.first, now.second); });
    };
    connect(list, &QListWidget::itemSelectionChanged, this, changed);
    connect(list, &QListWidget::currentRowChanged, this, changed);
}

void ControlBinder::onSliderMoved(int id, std::function<void(int)> command)
{
    auto *slider = qobject_cast<QSlider *>(widget(id));
    if (!slider)
        return;
    connect(slider, &QSlider::valueChanged, this,
            [this, command = std::move(command)](int position) { forward([&] { command(position); }); });
}

namespace {

std::function<void(QDialog &)> &childDialogDriver()
{
    static std::function<void(QDialog &)> driver;
    return driver;
}

} // namespace

void setChildDialogDriver(std::function<void(QDialog &child)> driver)
{
    childDialogDriver() = std::move(driver);
}

int runChildDialog(QWidget *parent, QDialog &child)
{
    if (parent)
        child.setWindowIcon(parent->windowIcon());
    if (const auto driver = childDialogDriver()) {
        QMetaObject::invokeMethod(
            &child,
            [driver, &child] {
                driver(child);
                if (child.isVisible())
                    child.reject();
            },
            Qt::QueuedConnection);
    }
    return child.exec();
}
