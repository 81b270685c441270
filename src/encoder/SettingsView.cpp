#include "encoder/SettingsView.h"

#include "encoder/CceSettingsView.h"
#include "encoder/EncoderSettingsView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

using Base = SettingsDialogBase;

SettingsView::SettingsView(SettingsDialogBase &dialog, QWidget *parent)
    : QDialog(parent)
    , m_dialog(dialog)
    , m_binder(new ControlBinder(this, [&dialog] { return dialog.controls(); }))
    , m_opened(dialog.controls())
{
    setObjectName("settingsWindow");
    setWindowTitle(QString::fromStdString(dialog.caption()));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
}

// ---- Pieces of the layout ------------------------------------------------------------------

QLabel *SettingsView::label(int id, QWidget *buddy)
{
    QLabel *text = m_binder->bind(new QLabel(this), id);
    if (buddy)
        text->setBuddy(buddy);
    return text;
}

QWidget *SettingsView::checkBox(int id)
{
    return m_binder->bind(new QCheckBox(this), id);
}

QLayout *SettingsView::segmentLine()
{
    auto *segment = m_binder->bind(new QLineEdit(this), Base::SegmentText);
    // Room for the widest name a project can give: "VTS 99 - VobID 9999".
    segment->setMinimumWidth(segment->fontMetrics().horizontalAdvance("VTS 99 - VobID 99999") + 16);
    auto *row = new QHBoxLayout;
    row->addWidget(label(Base::TitleLabel, segment));
    row->addWidget(segment);
    row->addStretch();
    return row;
}

QGroupBox *SettingsView::radioGroup(int groupId, std::initializer_list<int> radioIds)
{
    auto *frame = m_binder->bind(new QGroupBox(this), groupId);
    auto *row = new QHBoxLayout(frame);
    // Each frame holds one choice: its radio buttons exclude only one another.
    for (int id : radioIds)
        row->addWidget(m_binder->bind(new QRadioButton(frame), id));
    row->addStretch();
    return frame;
}

QGroupBox *SettingsView::dcGroup()
{
    return radioGroup(Base::DcGroup, {Base::Dc10Radio, Base::Dc9Radio, Base::Dc8Radio});
}

QGroupBox *SettingsView::gopGroup()
{
    return radioGroup(Base::GopGroup, {Base::Gop12Radio, Base::Gop15Radio});
}

QGroupBox *SettingsView::scanGroup()
{
    return radioGroup(Base::ScanGroup, {Base::ZigZagRadio, Base::AlternateRadio});
}

QSlider *SettingsView::addSlider(QGridLayout *grid, int row, int sliderId, int numberId)
{
    auto *slider = m_binder->bind(new QSlider(Qt::Horizontal, this), sliderId);
    slider->setMinimumWidth(fontMetrics().averageCharWidth() * 24);
    // The number beside a slider is a read-only figure: wide enough for any field value
    // (a quality of -1 is shown as it is).
    QLabel *number = label(numberId);
    number->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    number->setMinimumWidth(number->fontMetrics().horizontalAdvance("-8888") + 8);
    grid->addWidget(slider, row, 1);
    grid->addWidget(number, row, 2);
    return slider;
}

QGridLayout *SettingsView::bitrateRows()
{
    auto *grid = new QGridLayout;
    const struct {
        int labelId;
        int editId;
    } rows[] = {{Base::MinBitrateLabel, Base::MinBitrateEdit}, {Base::MaxBitrateLabel, Base::MaxBitrateEdit}};
    int row = 0;
    for (const auto &r : rows) {
        auto *edit = m_binder->bind(new QLineEdit(this), r.editId);
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance("888888") + 16);
        grid->addWidget(label(r.labelId, edit), row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
    grid->setColumnStretch(2, 1);
    return grid;
}

QLayout *SettingsView::buttonRow()
{
    auto *ok = m_binder->bind(new QPushButton(this), Base::OkButton);
    ok->setDefault(true);
    auto *cancel = m_binder->bind(new QPushButton(this), Base::CancelButton);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

void SettingsView::finish(QLayout *body)
{
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(buttonRow());
    // The window takes the size its controls need and keeps it: nothing in it grows.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    bindCommands();
    m_binder->render();
}

// ---- Commands ------------------------------------------------------------------------------

void SettingsView::bindCommands()
{
    ControlBinder &b = *m_binder;
    SettingsDialogBase &d = m_dialog;
    for (const Control &c : m_opened.all()) {
        const int id = c.id;
        if (!b.widget(id))
            continue;
        switch (c.kind) {
        case ControlKind::RadioButton:
            b.onClicked(id, [&d, id] { d.radioClicked(id); });
            break;
        case ControlKind::CheckBox:
            b.onChecked(id, [&d, id](bool checked) { d.checkClicked(id, checked); });
            break;
        case ControlKind::Slider:
            b.onSliderMoved(id, [&d, id](int position) { d.sliderMoved(id, position); });
            break;
        case ControlKind::DropDown:
            b.onRowSelected(id, [&d, id](int row) { d.listChosen(id, row); });
            break;
        case ControlKind::Edit:
            if (!c.readOnly)
                b.onTextCommitted(id, [&d, id](const std::string &text) { d.editCommitted(id, text); });
            break;
        default:
            break;
        }
    }
    connect(qobject_cast<QPushButton *>(b.widget(Base::OkButton)), &QPushButton::clicked, this, &SettingsView::accept);
    connect(qobject_cast<QPushButton *>(b.widget(Base::CancelButton)), &QPushButton::clicked, this,
            &SettingsView::reject);
}

void SettingsView::commitPendingEdits()
{
    // A click on OK usually takes the focus from the edit, which applies it; where buttons
    // take no focus (macOS) the typed text would otherwise be lost.
    const ControlTable table = m_dialog.controls();
    for (const Control &c : table.all()) {
        if (c.kind != ControlKind::Edit || c.readOnly || !c.visible || !c.enabled)
            continue;
        auto *edit = qobject_cast<QLineEdit *>(m_binder->widget(c.id));
        if (edit && edit->text().toStdString() != c.text)
            m_dialog.editCommitted(c.id, edit->text().toStdString());
    }
}

void SettingsView::accept()
{
    if (m_binder->busy())
        return;
    bool closes = false;
    m_binder->run([&] {
        commitPendingEdits();
        closes = m_dialog.okClicked();
    });
    if (closes) {
        QDialog::accept();
        return;
    }
    if (QWidget *field = m_binder->widget(m_dialog.takeFocusRequest())) {
        field->setFocus(Qt::OtherFocusReason);
        if (auto *edit = qobject_cast<QLineEdit *>(field))
            edit->selectAll();
    }
}

void SettingsView::reject()
{
    m_binder->run([&] { m_dialog.cancelClicked(); });
    QDialog::reject();
}

// ---- The window for a dialog ---------------------------------------------------------------

std::unique_ptr<SettingsView> makeSettingsView(SettingsDialogBase &dialog, QWidget *parent)
{
    if (dialog.kind() == SettingsWindow::Generic)
        return std::make_unique<EncoderSettingsView>(dialog, parent);
    return std::make_unique<CceSettingsView>(dialog, parent);
}

int runSettingsWindow(QWidget *parent, SettingsDialogBase &dialog)
{
    const std::unique_ptr<SettingsView> view = makeSettingsView(dialog, parent);
    return runChildDialog(parent, *view);
}
