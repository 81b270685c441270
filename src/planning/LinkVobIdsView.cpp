#include "planning/LinkVobIdsView.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using Id = LinkVobIdsDialog::Id;
using namespace dialogLayout;

LinkVobIdsView::LinkVobIdsView(LinkVobIdsDialog &dialog, QWidget *parent)
    : DialogView([&dialog] { return dialog.controls(); }, [&dialog] { return dialog.result(); },
                 [&dialog] { dialog.cancelClicked(); }, parent)
{
    setObjectName("linkVobIds");
    ControlBinder &b = binder();

    auto *segments = columnList(b.bind(new QListWidget(this), Id::SegmentList), "VTS 99 - Vob-ID 9999");
    // A click adds a row to the selection or takes it out: linking needs two rows or more, and
    // a plain click that dropped the others would make "Link selected" link nothing.
    segments->setSelectionMode(QAbstractItemView::MultiSelection);

    auto *label = fieldFor(b.bind(new QLineEdit(this), Id::SegmentEdit), "VTS 99 - VobID 9999");
    auto *properties = new QGroupBox(LinkVobIdsDialog::propertiesGroup, this);
    auto *duration = fieldFor(b.bind(new QLineEdit(properties), Id::DurationEdit), "99:59.59");
    auto *bitrate = fieldFor(b.bind(new QLineEdit(properties), Id::BitrateEdit), "99999");
    // A 64-bit reduction shown with 15 significant digits.
    auto *reduction = fieldFor(b.bind(new QLineEdit(properties), Id::ReductionEdit), "100.000000000000");
    auto *form = new QFormLayout(properties);
    form->addRow(labelFor(LinkVobIdsDialog::durationLabel, duration, properties), duration);
    form->addRow(labelFor(LinkVobIdsDialog::bitrateLabel, bitrate, properties), bitrate);
    form->addRow(labelFor(LinkVobIdsDialog::reductionLabel, reduction, properties), reduction);

    auto *viewFirstCell = b.bind(new QPushButton(this), Id::ViewFirstCellButton);
    auto *linkAll = b.bind(new QPushButton(this), Id::LinkAllButton);
    for (QPushButton *button : {viewFirstCell, linkAll})
        button->setAutoDefault(false);

    auto *right = new QVBoxLayout;
    right->addWidget(label);
    right->addWidget(properties);
    right->addWidget(viewFirstCell);
    right->addWidget(linkAll);
    right->addStretch();

    auto *middle = new QHBoxLayout;
    middle->addWidget(segments, 1);
    middle->addLayout(right);

    auto *linkSelected = b.bind(new QPushButton(this), Id::LinkSelectedButton);
    linkSelected->setDefault(true);
    auto *cancel = b.bind(new QPushButton(this), Id::CancelButton);
    cancel->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(middle, 1);
    layout->addWidget(b.bind(new QCheckBox(this), Id::HideBox));
    layout->addLayout(buttonRow({linkSelected, cancel}));

    LinkVobIdsDialog &d = dialog;
    b.onRowsSelected(Id::SegmentList,
                     [&d](const std::vector<int> &rows, int caretRow) { d.selectionChanged(rows, caretRow); });
    b.onChecked(Id::HideBox, [&d](bool checked) { d.hideClicked(checked); });
    b.onClicked(Id::ViewFirstCellButton, [&d] { d.viewFirstCellClicked(); });
    onClickedMayClose(Id::LinkAllButton, [&d] { d.linkAllClicked(); });
    onClickedMayClose(Id::LinkSelectedButton, [&d] { d.linkSelectedClicked(); });
    onClickedMayClose(Id::CancelButton, [&d] { d.cancelClicked(); });

    finishLayout(LinkVobIdsDialog::title, 197, 182);
}
