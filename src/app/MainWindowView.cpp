#include "app/MainWindowView.h"

#include "app/AboutBox.h"
#include "platform/Desktop.h"
#include "project/Project.h"
#include "scripts/Preview.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>

using Control = MainWindow::Control;

namespace {

QString q(const std::string &text)
{
    return QString::fromStdString(text);
}

QLineEdit *readOnlyField(QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::ClickFocus);
    return field;
}

// Shows a number from its first digit (setText leaves the cursor, and so the view, at the end).
void setFieldText(QLineEdit *field, const QString &text)
{
    if (field->text() != text) {
        field->setText(text);
        field->setCursorPosition(0);
    }
}

// Wide enough for a reduction shown with 15 significant digits.
void fitNumbers(QLineEdit *field)
{
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance("100.000000000000") + 16);
}

} // namespace

MainWindowView::MainWindowView(MainWindow &window, Desktop &desktop, AppSettings &settings, std::string settingsFolder,
                               QWidget *parent)
    : QDialog(parent)
    , m_window(window)
    , m_desktop(desktop)
    , m_settings(settings)
    , m_settingsFolder(std::move(settingsFolder))
{
    setObjectName("mainWindow");
    setWindowTitle(MainWindow::windowTitle);
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveDVDIcon));
    buildWidgets();

    m_window.previewHook = [this](int segmentIndex) {
        writeTestScript(m_window.project().segment(segmentIndex), m_settings, m_settingsFolder, m_desktop);
    };
    writeControls();
}

template <typename Widget>
Widget *MainWindowView::make(Control id, Widget *widget)
{
    widget->setObjectName(QString("id%1").arg(int(id)));
    m_controls.insert(int(id), widget);
    return widget;
}

QWidget *MainWindowView::control(Control id) const
{
    return m_controls.value(int(id), nullptr);
}

void MainWindowView::buildWidgets()
{
    auto button = [this](Control id) {
        return make(id, new QPushButton(q(m_window.caption(id)), this));
    };
    auto label = [this](Control id, QWidget *buddy) {
        auto *text = new QLabel(q(m_window.caption(id)), this);
        text->setBuddy(buddy);
        return text;
    };

    // Left: the project and its segments.
    QPushButton *load = button(Control::LoadButton);
    m_list = make(Control::SegmentList, new QListWidget(this));
    // The rows are printf columns ("VTS %2d - Vob-ID %3d"): they line up in a fixed-pitch font.
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->setMinimumWidth(m_list->fontMetrics().horizontalAdvance("VTS 99 - Vob-ID 9999") + 40);
    QLineEdit *total = make(Control::TotalSizeEdit, readOnlyField(this));

    auto *left = new QVBoxLayout;
    left->addWidget(load);
    left->addWidget(label(Control::SegmentList, m_list));
    left->addWidget(m_list, 1);
    auto *totalRow = new QHBoxLayout;
    totalRow->addWidget(label(Control::TotalSizeEdit, total));
    totalRow->addWidget(total);
    left->addLayout(totalRow);

    // Properties of the selected segment.
    auto *properties = new QGroupBox("Properties", this);
    properties->setObjectName("propertiesGroup");
    m_autosized = make(Control::AutosizedBox, new QCheckBox(q(m_window.caption(Control::AutosizedBox)), properties));
    m_tweaked = make(Control::TweakedBox, new QCheckBox(q(m_window.caption(Control::TweakedBox)), properties));
    m_tweaked->setFocusPolicy(Qt::NoFocus);
    m_bitrate = make(Control::BitrateEdit, new QLineEdit(properties));
    m_bitrate->installEventFilter(this);
    QLineEdit *reduction = make(Control::ReductionEdit, readOnlyField(properties));
    m_slider = make(Control::ReductionSlider, new QSlider(Qt::Horizontal, properties));
    m_slider->setRange(0, planning::sliderPositions);
    m_slider->setTracking(true);
    QLineEdit *duration = make(Control::DurationEdit, readOnlyField(properties));
    QLineEdit *segmentSize = make(Control::SegmentSizeEdit, readOnlyField(properties));
    m_vbr = make(Control::VbrRadio, new QRadioButton(q(m_window.caption(Control::VbrRadio)), properties));
    m_opv = make(Control::OpvRadio, new QRadioButton(q(m_window.caption(Control::OpvRadio)), properties));
    QPushButton *customQ = make(Control::CustomQButton, new QPushButton(q(m_window.caption(Control::CustomQButton)), properties));
    m_opvForSmall = make(Control::OpvForSmallBox,
                         new QCheckBox(q(m_window.caption(Control::OpvForSmallBox)), properties));

    auto *grid = new QGridLayout(properties);
    grid->addWidget(m_autosized, 0, 0);
    grid->addWidget(m_tweaked, 0, 1);
    grid->addWidget(label(Control::BitrateEdit, m_bitrate), 1, 0);
    grid->addWidget(m_bitrate, 1, 1);
    grid->addWidget(label(Control::ReductionEdit, reduction), 2, 0);
    grid->addWidget(reduction, 2, 1);
    grid->addWidget(m_slider, 3, 0, 1, 2);
    grid->addWidget(label(Control::DurationEdit, duration), 4, 0);
    grid->addWidget(duration, 4, 1);
    grid->addWidget(label(Control::SegmentSizeEdit, segmentSize), 5, 0);
    grid->addWidget(segmentSize, 5, 1);
    auto *modes = new QHBoxLayout;
    modes->addWidget(m_vbr);
    modes->addWidget(m_opv);
    modes->addStretch();
    modes->addWidget(customQ);
    grid->addLayout(modes, 6, 0, 1, 2);
    grid->addWidget(m_opvForSmall, 7, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    for (QLineEdit *field : {m_bitrate, reduction, duration, segmentSize})
        fitNumbers(field);

    // Windows that work on the selected segment.
    auto *optimization = new QGroupBox("Vob-ID Optimization", this);
    optimization->setObjectName("optimizationGroup");
    QPushButton *tweak = make(Control::TweakCellsButton,
                              new QPushButton(q(m_window.caption(Control::TweakCellsButton)), optimization));
    tweak->setDefault(true);
    QPushButton *editor = make(Control::ScriptEditorButton,
                               new QPushButton(q(m_window.caption(Control::ScriptEditorButton)), optimization));
    QPushButton *encoder = make(Control::SettingsButton,
                                new QPushButton(q(m_window.caption(Control::SettingsButton)), optimization));
    QPushButton *preview = make(Control::PreviewButton,
                                new QPushButton(q(m_window.caption(Control::PreviewButton)), optimization));
    auto *optimizationGrid = new QGridLayout(optimization);
    optimizationGrid->addWidget(tweak, 0, 0);
    optimizationGrid->addWidget(editor, 0, 1);
    optimizationGrid->addWidget(encoder, 1, 0);
    optimizationGrid->addWidget(preview, 1, 1);

    auto *right = new QVBoxLayout;
    right->addWidget(properties);
    right->addWidget(optimization);
    right->addStretch();

    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    // Project-wide commands.
    QPushButton *link = button(Control::LinkButton);
    m_hide = make(Control::HideBox, new QCheckBox(q(m_window.caption(Control::HideBox)), this));
    QPushButton *reset = button(Control::ResetButton);
    QPushButton *options = button(Control::GlobalOptionsButton);
    QPushButton *save = button(Control::SaveButton);
    QPushButton *exitButton = button(Control::ExitButton);
    QPushButton *about = button(Control::AboutButton);
    about->setMaximumWidth(about->sizeHint().height() + 8);

    auto *projectRow = new QHBoxLayout;
    projectRow->addWidget(link);
    projectRow->addWidget(m_hide);
    projectRow->addStretch();
    auto *commandRow = new QHBoxLayout;
    commandRow->addWidget(reset);
    commandRow->addWidget(options);
    commandRow->addStretch();
    commandRow->addWidget(save);
    commandRow->addWidget(exitButton);
    commandRow->addWidget(about);

    QLineEdit *status = make(Control::StatusEdit, readOnlyField(this));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(projectRow);
    layout->addLayout(commandRow);
    layout->addWidget(status);

    // The window's own menu (right click) carries the About entry, as the system menu does on Windows.
    auto *aboutAction = new QAction("&About Tavro...", this);
    aboutAction->setObjectName("aboutAction");
    auto *separator = new QAction(this);
    separator->setSeparator(true);
    addAction(separator);
    addAction(aboutAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    connect(load, &QPushButton::clicked, this, &MainWindowView::onLoad);
    connect(m_list, &QListWidget::currentRowChanged, this, &MainWindowView::onRowChanged);
    connect(m_autosized, &QCheckBox::clicked, this, [this] { run(&MainWindow::autosizedClicked); });
    connect(m_bitrate, &QLineEdit::editingFinished, this, &MainWindowView::onBitrateEditingFinished);
    connect(m_slider, &QSlider::valueChanged, this, &MainWindowView::onSliderMoved);
    connect(m_vbr, &QRadioButton::clicked, this, [this] { run(&MainWindow::vbrClicked); });
    connect(m_opv, &QRadioButton::clicked, this, [this] { run(&MainWindow::opvClicked); });
    connect(m_opvForSmall, &QCheckBox::clicked, this, [this] { run(&MainWindow::opvForSmallClicked); });
    connect(m_hide, &QCheckBox::clicked, this, [this] { run(&MainWindow::hideClicked); });
    connect(reset, &QPushButton::clicked, this, [this] { run(&MainWindow::resetBitrates); });
    connect(preview, &QPushButton::clicked, this, [this] { run(&MainWindow::previewClicked); });
    connect(save, &QPushButton::clicked, this, &MainWindowView::onSave);
    connect(exitButton, &QPushButton::clicked, this, &QWidget::close);
    connect(about, &QPushButton::clicked, this, &MainWindowView::onAbout);
    connect(aboutAction, &QAction::triggered, this, &MainWindowView::onAbout);
    // Tweak Cells, Link Vob-IDs, Global Options, Set Custom Q, the encoder settings and the
    // script editor follow their enable rules here; their windows join in later versions.
}

void MainWindowView::readControls()
{
    m_window.autosizedBox = m_autosized->isChecked();
    m_window.hideInsignificant = m_hide->isChecked();
    m_window.opvForSmall = m_opvForSmall->isChecked();
    m_window.sliderPosition = m_slider->value();
}

void MainWindowView::run(void (MainWindow::*command)())
{
    if (m_writing)
        return;
    readControls();
    (m_window.*command)();
    writeControls();
}

void MainWindowView::writeControls()
{
    m_writing = true;

    QStringList rows;
    for (const std::string &row : m_window.rows)
        rows << q(row);
    QStringList shown;
    for (int i = 0; i < m_list->count(); ++i)
        shown << m_list->item(i)->text();
    if (rows != shown) {
        m_list->clear();
        m_list->addItems(rows);
    }
    m_list->setCurrentRow(m_window.selectedRow);

    m_autosized->setChecked(m_window.autosizedBox);
    m_tweaked->setChecked(m_window.tweakedBox);
    auto field = [this](Control id) { return qobject_cast<QLineEdit *>(control(id)); };
    // The bitrate field is written even when unchanged, so a refused entry shows the value again.
    m_bitrate->setText(q(m_window.bitrateText()));
    m_bitrate->setCursorPosition(0);
    setFieldText(field(Control::ReductionEdit), q(m_window.reductionText()));
    setFieldText(field(Control::SegmentSizeEdit), q(m_window.segmentSizeText()));
    setFieldText(field(Control::TotalSizeEdit), q(m_window.totalSizeText()));
    setFieldText(field(Control::DurationEdit), q(m_window.durationValue));
    setFieldText(field(Control::StatusEdit), q(m_window.statusText));
    m_slider->setValue(m_window.sliderPosition);
    m_hide->setChecked(m_window.hideInsignificant);
    m_opvForSmall->setChecked(m_window.opvForSmall);
    // Radio buttons are exclusive only while one is checked; without a segment neither is.
    m_vbr->setAutoExclusive(false);
    m_opv->setAutoExclusive(false);
    m_vbr->setChecked(m_window.vbrChecked);
    m_opv->setChecked(m_window.opvChecked);
    m_vbr->setAutoExclusive(true);
    m_opv->setAutoExclusive(true);

    for (Control id : MainWindow::controls()) {
        QWidget *widget = control(id);
        if (!widget)
            continue;
        widget->setEnabled(m_window.isEnabled(id));
        if (auto *buttonWidget = qobject_cast<QAbstractButton *>(widget))
            buttonWidget->setText(q(m_window.caption(id)));
    }
    m_writing = false;
}

void MainWindowView::onLoad()
{
    readControls();
    m_window.load();
    writeControls();
}

void MainWindowView::onRowChanged(int row)
{
    if (m_writing || row < 0)
        return;
    readControls();
    m_window.selectRow(row);
    writeControls();
}

void MainWindowView::onBitrateEditingFinished()
{
    // The refusal's message box takes the focus away, which ends the editing a second time.
    if (m_writing || m_applyingBitrate || !m_bitrate->isEnabled())
        return;
    m_applyingBitrate = true;
    readControls();
    if (m_window.readBitrateText(m_bitrate->text().toStdString()))
        m_window.bitrateTyped();
    writeControls();
    m_applyingBitrate = false;
}

void MainWindowView::onSliderMoved(int position)
{
    if (m_writing)
        return;
    readControls();
    m_window.sliderPosition = position;
    m_window.sliderMoved();
    writeControls();
}

void MainWindowView::onSave()
{
    readControls();
    // The OPV prediction dialog joins here: until it exists, a save that needs new Q factors
    // goes on with the ones the segments have.
    m_window.save([] { return true; });
    writeControls();
}

void MainWindowView::onAbout()
{
    AboutBox about(m_desktop, this);
    about.setWindowIcon(windowIcon());
    about.exec();
}

bool MainWindowView::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the bitrate field applies the value there and then, instead of pressing the
    // window's default button.
    if (watched == m_bitrate && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            onBitrateEditingFinished();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MainWindowView::closeEvent(QCloseEvent *event)
{
    readControls();
    if (m_window.exitRequested())
        event->accept();
    else
        event->ignore();
}

void MainWindowView::reject()
{
    // Escape leaves through the same question as Exit.
    close();
}
