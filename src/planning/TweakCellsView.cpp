#include "planning/TweakCellsView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

using Id = TweakCellsDialog::Id;
using namespace dialogLayout;

TweakCellsView::TweakCellsView(TweakCellsDialog &dialog, QWidget *parent)
    : DialogView([&dialog] { return dialog.controls(); }, [&dialog] { return dialog.result(); },
                 [&dialog] { dialog.closeClicked(); }, parent)
{
    setObjectName("tweakCells");
    ControlBinder &b = binder();

    // Top: the segment and the average Reset goes back to.
    auto *segment = fieldFor(b.bind(new QLineEdit(this), Id::SegmentEdit), "VTS 99 - Vob-ID 9999");
    auto *average = fieldFor(b.bind(new QLineEdit(this), Id::AverageEdit), "99999");
    auto *top = new QHBoxLayout;
    top->addWidget(segment);
    top->addStretch();
    top->addWidget(labelFor(TweakCellsDialog::averageLabel, average, this));
    top->addWidget(average);

    // Left: the cells. Right: the selected cell.
    auto *cells = columnList(b.bind(new QListWidget(this), Id::CellList), "Vob-ID 999   Cell 9999");
    auto *cell = fieldFor(b.bind(new QLineEdit(this), Id::CellEdit), "9999");
    auto *frames = fieldFor(b.bind(new QLineEdit(this), Id::FramesEdit), "9999999");
    auto *autosized = b.bind(new QCheckBox(this), Id::AutosizedBox);
    auto *viewCell = b.bind(new QPushButton(this), Id::ViewCellButton);
    viewCell->setAutoDefault(false);
    auto *bitrate = fieldFor(b.bind(new QLineEdit(this), Id::BitrateEdit), "99999");
    // A 32-bit reduction in general format: up to six digits, a point and a sign.
    auto *reduction = fieldFor(b.bind(new QLineEdit(this), Id::ReductionEdit), "-100.000");
    auto *slider = b.bind(new QSlider(Qt::Horizontal, this), Id::ReductionSlider);
    slider->setTracking(true);
    slider->setPageStep(100);

    auto *fields = new QGridLayout;
    fields->addWidget(labelFor(TweakCellsDialog::cellLabel, cell, this), 0, 0);
    fields->addWidget(cell, 0, 1);
    fields->addWidget(labelFor(TweakCellsDialog::framesLabel, frames, this), 1, 0);
    fields->addWidget(frames, 1, 1);
    fields->addWidget(autosized, 2, 0);
    fields->addWidget(viewCell, 2, 1);
    fields->addWidget(labelFor(TweakCellsDialog::bitrateLabel, bitrate, this), 3, 0);
    fields->addWidget(bitrate, 3, 1);
    fields->addWidget(labelFor(TweakCellsDialog::reductionLabel, reduction, this), 4, 0);
    fields->addWidget(reduction, 4, 1);
    fields->addWidget(slider, 5, 0, 1, 2);
    fields->setRowStretch(6, 1);
    fields->setColumnStretch(1, 1);

    auto *middle = new QHBoxLayout;
    middle->addWidget(cells, 1);
    middle->addLayout(fields, 1);

    auto *reset = b.bind(new QPushButton(this), Id::ResetButton);
    reset->setAutoDefault(false);
    auto *apply = b.bind(new QPushButton(this), Id::ApplyButton);
    apply->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(buttonRow({reset, apply}));

    TweakCellsDialog &d = dialog;
    b.onRowSelected(Id::CellList, [&d](int row) { d.cellSelected(row); });
    b.onChecked(Id::AutosizedBox, [&d](bool checked) { d.autosizedClicked(checked); });
    b.onTextCommitted(Id::BitrateEdit, [&d](const std::string &text) { d.bitrateTyped(text); });
    b.onSliderMoved(Id::ReductionSlider, [&d](int position) { d.sliderMoved(position); });
    b.onClicked(Id::ResetButton, [&d] { d.resetClicked(); });
    b.onClicked(Id::ViewCellButton, [&d] { d.viewCellClicked(); });
    onClickedMayClose(Id::ApplyButton, [&d] { d.applyClicked(); });

    finishLayout(TweakCellsDialog::title, 225, 170);
}
