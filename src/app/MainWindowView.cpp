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

using Id = MainWindow::Id;

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

// Wide enough for a reduction shown with 15 significant digits.
void fitNumbers(QLineEdit *field)
{
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance("100.000000000000") + 16);
}

} // namespace

QString MainWindowView::caption(MainWindow::Id id) const
{
    return q(m_window.control(id).text);
}

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
    // Captions and every other state come from the window's table.

    writeControls();
}

template <typename Widget>
Widget *MainWindowView::make(Id id, Widget *widget)
{
    widget->setObjectName(QString("id%1").arg(int(id)));
    m_controls.insert(int(id), widget);
    return widget;
}

QWidget *MainWindowView::control(Id id) const
{
    return m_controls.value(int(id), nullptr);
}

void MainWindowView::buildWidgets()
{
    auto button = [this](Id id) {
        return make(id, new QPushButton((caption(id)), this));
    };
    auto label = [this](Id id, QWidget *buddy) {
        auto *text = new QLabel((caption(id)), this);
        text->setBuddy(buddy);
        return text;
    };

    // Left: the project and its segments.
    QPushButton *load = button(MainWindow::LoadButton);
    m_list = make(MainWindow::SegmentList, new QListWidget(this));
    // The rows are printf columns ("VTS %2d - Vob-ID %3d"): they line up in a fixed-pitch font.
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->setMinimumWidth(m_list->fontMetrics().horizontalAdvance("VTS 99 - Vob-ID 9999") + 40);
    QLineEdit *total = make(MainWindow::TotalSizeEdit, readOnlyField(this));

    auto *left = new QVBoxLayout;
    left->addWidget(load);
    left->addWidget(label(MainWindow::SegmentList, m_list));
    left->addWidget(m_list, 1);
    auto *totalRow = new QHBoxLayout;
    totalRow->addWidget(label(MainWindow::TotalSizeEdit, total));
    totalRow->addWidget(total);
    left->addLayout(totalRow);

    // Properties of the selected segment.
    auto *properties = new QGroupBox("Properties", this);
    properties->setObjectName("propertiesGroup");
    m_autosized = make(MainWindow::AutosizedBox, new QCheckBox((caption(MainWindow::AutosizedBox)), properties));
    m_tweaked = make(MainWindow::TweakedBox, new QCheckBox((caption(MainWindow::TweakedBox)), properties));
    m_tweaked->setFocusPolicy(Qt::NoFocus);
    m_bitrate = make(MainWindow::BitrateEdit, new QLineEdit(properties));
    m_bitrate->installEventFilter(this);
    QLineEdit *reduction = make(MainWindow::ReductionEdit, readOnlyField(properties));
    m_slider = make(MainWindow::ReductionSlider, new QSlider(Qt::Horizontal, properties));
    m_slider->setRange(0, planning::sliderPositions);
    m_slider->setTracking(true);
    QLineEdit *duration = make(MainWindow::DurationEdit, readOnlyField(properties));
    QLineEdit *segmentSize = make(MainWindow::SegmentSizeEdit, readOnlyField(properties));
    m_vbr = make(MainWindow::VbrRadio, new QRadioButton((caption(MainWindow::VbrRadio)), properties));
    m_opv = make(MainWindow::OpvRadio, new QRadioButton((caption(MainWindow::OpvRadio)), properties));
    QPushButton *customQ = make(MainWindow::CustomQButton, new QPushButton((caption(MainWindow::CustomQButton)), properties));
    m_opvForSmall = make(MainWindow::OpvForSmallBox,
                         new QCheckBox((caption(MainWindow::OpvForSmallBox)), properties));

    auto *grid = new QGridLayout(properties);
    grid->addWidget(m_autosized, 0, 0);
    grid->addWidget(m_tweaked, 0, 1);
    grid->addWidget(label(MainWindow::BitrateEdit, m_bitrate), 1, 0);
    grid->addWidget(m_bitrate, 1, 1);
    grid->addWidget(label(MainWindow::ReductionEdit, reduction), 2, 0);
    grid->addWidget(reduction, 2, 1);
    grid->addWidget(m_slider, 3, 0, 1, 2);
    grid->addWidget(label(MainWindow::DurationEdit, duration), 4, 0);
    grid->addWidget(duration, 4, 1);
    grid->addWidget(label(MainWindow::SegmentSizeEdit, segmentSize), 5, 0);
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
    QPushButton *tweak = make(MainWindow::TweakCellsButton,
                              new QPushButton((caption(MainWindow::TweakCellsButton)), optimization));
    tweak->setDefault(true);
    QPushButton *editor = make(MainWindow::ScriptEditorButton,
                               new QPushButton((caption(MainWindow::ScriptEditorButton)), optimization));
    QPushButton *encoder = make(MainWindow::SettingsButton,
                                new QPushButton((caption(MainWindow::SettingsButton)), optimization));
    QPushButton *preview = make(MainWindow::PreviewButton,
                                new QPushButton((caption(MainWindow::PreviewButton)), optimization));
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
    QPushButton *link = button(MainWindow::LinkButton);
    m_hide = make(MainWindow::HideBox, new QCheckBox((caption(MainWindow::HideBox)), this));
    QPushButton *reset = button(MainWindow::ResetButton);
    QPushButton *options = button(MainWindow::GlobalOptionsButton);
    QPushButton *save = button(MainWindow::SaveButton);
    QPushButton *exitButton = button(MainWindow::ExitButton);
    QPushButton *about = button(MainWindow::AboutButton);
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

    QLineEdit *status = make(MainWindow::StatusEdit, readOnlyField(this));

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
    connect(m_autosized, &QCheckBox::clicked, this, [this](bool on) { run([this, on] { m_window.autosizedClicked(on); }); });
    connect(m_bitrate, &QLineEdit::editingFinished, this, &MainWindowView::onBitrateEditingFinished);
    connect(m_slider, &QSlider::valueChanged, this, &MainWindowView::onSliderMoved);
    connect(m_vbr, &QRadioButton::clicked, this, [this] { run([this] { m_window.vbrClicked(); }); });
    connect(m_opv, &QRadioButton::clicked, this, [this] { run([this] { m_window.opvClicked(); }); });
    connect(m_opvForSmall, &QCheckBox::clicked, this, [this](bool on) { run([this, on] { m_window.opvForSmallClicked(on); }); });
    connect(m_hide, &QCheckBox::clicked, this, [this](bool on) { run([this, on] { m_window.hideClicked(on); }); });
    connect(reset, &QPushButton::clicked, this, [this] { run([this] { m_window.resetClicked(); }); });
    connect(preview, &QPushButton::clicked, this, [this] { run([this] { m_window.previewClicked(); }); });
    connect(save, &QPushButton::clicked, this, &MainWindowView::onSave);
    connect(exitButton, &QPushButton::clicked, this, &QWidget::close);
    connect(about, &QPushButton::clicked, this, &MainWindowView::onAbout);
    connect(aboutAction, &QAction::triggered, this, &MainWindowView::onAbout);
    // Tweak Cells, Link Vob-IDs, Global Options, Set Custom Q, the encoder settings and the
    // script editor follow their enable rules here; their windows join in later versions.
}

void MainWindowView::run(const std::function<void()> &command)
{
    if (m_writing)
        return;
    command();
    writeControls();
}

void MainWindowView::writeControls()
{
    m_writing = true;
    const ControlTable table = m_window.controls();
    for (const Control &c : table.all()) {
        QWidget *widget = m_controls.value(c.id, nullptr);
        if (!widget)
            continue;
        widget->setEnabled(c.enabled);
        if (auto *listWidget = qobject_cast<QListWidget *>(widget)) {
            QStringList rows;
            for (const std::string &row : c.rows)
                rows << q(row);
            QStringList shown;
            for (int i = 0; i < listWidget->count(); ++i)
                shown << listWidget->item(i)->text();
            if (rows != shown) {
                listWidget->clear();
                listWidget->addItems(rows);
            }
            listWidget->setCurrentRow(c.selected);
        } else if (auto *field = qobject_cast<QLineEdit *>(widget)) {
            // The bitrate field is written even when unchanged, so a refused entry shows the value again.
            if (field->text() != q(c.text) || field == m_bitrate) {
                field->setText(q(c.text));
                field->setCursorPosition(0);
            }
        } else if (auto *slider = qobject_cast<QSlider *>(widget)) {
            slider->setValue(c.position);
        } else if (auto *radioButton = qobject_cast<QRadioButton *>(widget)) {
            // Radio buttons are exclusive only while one is checked; without a segment neither is.
            radioButton->setAutoExclusive(false);
            radioButton->setChecked(c.checked);
            radioButton->setAutoExclusive(true);
            radioButton->setText(q(c.text));
        } else if (auto *buttonWidget = qobject_cast<QAbstractButton *>(widget)) {
            buttonWidget->setChecked(c.checked);
            buttonWidget->setText(q(c.text));
        }
    }
    m_writing = false;
}

void MainWindowView::onLoad()
{
    run([this] { m_window.loadClicked(); });
}

void MainWindowView::onRowChanged(int row)
{
    if (row < 0)
        return;
    run([this, row] { m_window.rowSelected(row); });
}

void MainWindowView::onBitrateEditingFinished()
{
    // The refusal's message box takes the focus away, which ends the editing a second time.
    if (m_writing || m_applyingBitrate || !m_bitrate->isEnabled())
        return;
    m_applyingBitrate = true;
    run([this] { m_window.bitrateTyped(m_bitrate->text().toStdString()); });
    m_applyingBitrate = false;
}

void MainWindowView::onSliderMoved(int position)
{
    run([this, position] { m_window.sliderMoved(position); });
}

void MainWindowView::onSave()
{
    // The OPV prediction dialog joins here: until it exists, a save that needs new Q factors
    // goes on with the ones the segments have.
    run([this] { m_window.saveClicked([] { return true; }); });
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
