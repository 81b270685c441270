#include "app/MainWindowView.h"

#include "app/AboutBox.h"
#include "planning/GlobalOptionsView.h"
#include "planning/LinkVobIdsView.h"
#include "planning/SetQFactorView.h"
#include "planning/TweakCellsView.h"
#include "encoder/SettingsView.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>

using Id = MainWindow::Id;

MainWindowView::MainWindowView(MainWindow &window, QWidget *parent)
    : QDialog(parent)
    , m_window(window)
    , m_binder(new ControlBinder(this, [&window] { return window.controls(); }))
{
    setObjectName("mainWindow");
    setWindowTitle(MainWindow::windowTitle);
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveDVDIcon));
    buildWidgets();
    bindCommands();
    m_binder->render();
}

void MainWindowView::buildWidgets()
{
    ControlBinder &b = *m_binder;
    auto label = [&](Id id, QWidget *buddy, QWidget *parent) {
        QLabel *text = b.bind(new QLabel(parent), id);
        text->setBuddy(buddy);
        return text;
    };
    // Wide enough for a reduction shown with 15 significant digits.
    auto numberField = [&](Id id, QWidget *parent) {
        QLineEdit *field = b.bind(new QLineEdit(parent), id);
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance("100.000000000000") + 16);
        return field;
    };

    // Left: the project and its segments.
    auto *load = b.bind(new QPushButton(this), Id::LoadButton);
    auto *list = b.bind(new QListWidget(this), Id::SegmentList);
    // The rows are printf columns ("VTS %2d - Vob-ID %3d"): they line up in a fixed-pitch font.
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list->setMinimumWidth(list->fontMetrics().horizontalAdvance("VTS 99 - Vob-ID 9999") + 40);
    // Rows of one height let the list lay out thousands of rows without measuring each.
    list->setUniformItemSizes(true);
    auto *total = b.bind(new QLineEdit(this), Id::TotalSizeEdit);

    auto *left = new QVBoxLayout;
    left->addWidget(load);
    left->addWidget(label(Id::SegmentListLabel, list, this));
    left->addWidget(list, 1);
    auto *totalRow = new QHBoxLayout;
    totalRow->addWidget(label(Id::TotalSizeLabel, total, this));
    totalRow->addWidget(total);
    left->addLayout(totalRow);

    // Properties of the selected segment.
    auto *properties = b.bind(new QGroupBox(this), Id::PropertiesGroup);
    auto *autosized = b.bind(new QCheckBox(properties), Id::AutosizedBox);
    auto *tweaked = b.bind(new QCheckBox(properties), Id::TweakedBox);
    tweaked->setFocusPolicy(Qt::NoFocus);
    QLineEdit *bitrate = numberField(Id::BitrateEdit, properties);
    QLineEdit *reduction = numberField(Id::ReductionEdit, properties);
    auto *slider = b.bind(new QSlider(Qt::Horizontal, properties), Id::ReductionSlider);
    slider->setTracking(true);
    QLineEdit *duration = numberField(Id::DurationEdit, properties);
    QLineEdit *segmentSize = numberField(Id::SegmentSizeEdit, properties);
    auto *vbr = b.bind(new QRadioButton(properties), Id::VbrRadio);
    auto *opv = b.bind(new QRadioButton(properties), Id::OpvRadio);
    auto *customQ = b.bind(new QPushButton(properties), Id::CustomQButton);
    auto *opvForSmall = b.bind(new QCheckBox(properties), Id::OpvForSmallBox);

    auto *grid = new QGridLayout(properties);
    grid->addWidget(autosized, 0, 0);
    grid->addWidget(tweaked, 0, 1);
    grid->addWidget(label(Id::BitrateLabel, bitrate, properties), 1, 0);
    grid->addWidget(bitrate, 1, 1);
    grid->addWidget(label(Id::ReductionLabel, reduction, properties), 2, 0);
    grid->addWidget(reduction, 2, 1);
    grid->addWidget(slider, 3, 0, 1, 2);
    grid->addWidget(label(Id::DurationLabel, duration, properties), 4, 0);
    grid->addWidget(duration, 4, 1);
    grid->addWidget(label(Id::SegmentSizeLabel, segmentSize, properties), 5, 0);
    grid->addWidget(segmentSize, 5, 1);
    auto *modes = new QHBoxLayout;
    modes->addWidget(vbr);
    modes->addWidget(opv);
    modes->addStretch();
    modes->addWidget(customQ);
    grid->addLayout(modes, 6, 0, 1, 2);
    grid->addWidget(opvForSmall, 7, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    // Windows that work on the selected segment.
    auto *optimization = b.bind(new QGroupBox(this), Id::OptimizationGroup);
    auto *tweak = b.bind(new QPushButton(optimization), Id::TweakCellsButton);
    tweak->setDefault(true);
    auto *optimizationGrid = new QGridLayout(optimization);
    optimizationGrid->addWidget(tweak, 0, 0);
    optimizationGrid->addWidget(b.bind(new QPushButton(optimization), Id::ScriptEditorButton), 0, 1);
    optimizationGrid->addWidget(b.bind(new QPushButton(optimization), Id::SettingsButton), 1, 0);
    optimizationGrid->addWidget(b.bind(new QPushButton(optimization), Id::PreviewButton), 1, 1);

    auto *right = new QVBoxLayout;
    right->addWidget(properties);
    right->addWidget(optimization);
    right->addStretch();

    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    // Project-wide commands.
    auto *projectRow = new QHBoxLayout;
    projectRow->addWidget(b.bind(new QPushButton(this), Id::LinkButton));
    projectRow->addWidget(b.bind(new QCheckBox(this), Id::HideBox));
    projectRow->addStretch();
    auto *commandRow = new QHBoxLayout;
    commandRow->addWidget(b.bind(new QPushButton(this), Id::ResetButton));
    commandRow->addWidget(b.bind(new QPushButton(this), Id::GlobalOptionsButton));
    commandRow->addStretch();
    commandRow->addWidget(b.bind(new QPushButton(this), Id::SaveButton));
    commandRow->addWidget(b.bind(new QPushButton(this), Id::ExitButton));
    auto *about = b.bind(new QPushButton(this), Id::AboutButton);
    about->setMaximumWidth(about->fontMetrics().height() * 2 + 8);
    commandRow->addWidget(about);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(projectRow);
    layout->addLayout(commandRow);
    layout->addWidget(b.bind(new QLineEdit(this), Id::StatusEdit));

    // The window's own menu (right click) carries the About entry, as the system menu does on Windows.
    auto *aboutAction = new QAction("&About Tavro...", this);
    aboutAction->setObjectName("aboutAction");
    auto *separator = new QAction(this);
    separator->setSeparator(true);
    addAction(separator);
    addAction(aboutAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(aboutAction, &QAction::triggered, this, &MainWindowView::showAbout);
}

void MainWindowView::bindCommands()
{
    ControlBinder &b = *m_binder;
    MainWindow &w = m_window;
    b.onClicked(Id::LoadButton, [&w] { w.loadClicked(); });
    b.onRowSelected(Id::SegmentList, [&w](int row) { w.rowSelected(row); });
    b.onChecked(Id::AutosizedBox, [&w](bool checked) { w.autosizedClicked(checked); });
    b.onTextCommitted(Id::BitrateEdit, [&w](const std::string &text) { w.bitrateTyped(text); });
    b.onSliderMoved(Id::ReductionSlider, [&w](int position) { w.sliderMoved(position); });
    b.onClicked(Id::VbrRadio, [&w] { w.vbrClicked(); });
    b.onClicked(Id::OpvRadio, [&w] { w.opvClicked(); });
    b.onChecked(Id::OpvForSmallBox, [&w](bool checked) { w.opvForSmallClicked(checked); });
    b.onChecked(Id::HideBox, [&w](bool checked) { w.hideClicked(checked); });
    b.onClicked(Id::ResetButton, [&w] { w.resetClicked(); });
    b.onClicked(Id::PreviewButton, [&w] { w.previewClicked(); });
    // The OPV prediction dialog joins here: until it exists, a save that needs new Q factors
    // goes on with the ones the segments have.
    b.onClicked(Id::SaveButton, [&w] { w.saveClicked([] { return true; }); });
    b.onClicked(Id::ExitButton, [this] { close(); });
    b.onClicked(Id::AboutButton, [this] { showAbout(); });
    // The planning windows run modally on the selected segment (Global Options on the
    // project); the main window then does what follows each of them.
    b.onClicked(Id::TweakCellsButton, [this, &w] {
        TweakCellsDialog dialog(w.project(), w.currentSegment(), w.desktop(), w.settings(), w.settingsFolder());
        TweakCellsView view(dialog, this);
        runChildDialog(this, view);
        w.afterTweakCells();
    });
    b.onClicked(Id::LinkButton, [this, &w] {
        LinkVobIdsDialog dialog(w.project(), w.currentSegment(), w.hideInsignificant(), w.desktop(), w.settings(),
                                w.settingsFolder());
        // A segment alone in its title set ends the window while it opens, with a message.
        if (dialog.result() == DialogResult::Open) {
            LinkVobIdsView view(dialog, this);
            runChildDialog(this, view);
        }
        w.afterLinkVobIds();
    });
    b.onClicked(Id::GlobalOptionsButton, [this, &w] {
        GlobalOptionsDialog dialog(w.project(), w.desktop(), w.settings(), w.settingsFolder());
        GlobalOptionsView view(dialog, this);
        runChildDialog(this, view);
        w.afterGlobalOptions();
    });
    b.onClicked(Id::CustomQButton, [this, &w] {
        SetQFactorDialog dialog(w.project(), w.currentSegment(), w.desktop());
        SetQFactorView view(dialog, this);
        runChildDialog(this, view);
        w.afterSetQFactor();
    });
    b.onClicked(Id::SettingsButton, [this, &w] {
        if (Segment *segment = w.selectedSegment())
            if (const auto dialog = openSettingsDialog(w.project(), *segment, w.desktop()))
                runSettingsWindow(this, *dialog);
        w.afterEncoderSettings();
    });
}

void MainWindowView::showAbout()
{
    AboutBox about(m_window.desktop(), this);
    runChildDialog(this, about);
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
