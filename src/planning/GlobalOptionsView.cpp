#include "planning/GlobalOptionsView.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

using Id = GlobalOptionsDialog::Id;
using namespace dialogLayout;

GlobalOptionsView::GlobalOptionsView(GlobalOptionsDialog &dialog, QWidget *parent)
    : DialogView([&dialog] { return dialog.controls(); }, [&dialog] { return dialog.result(); },
                 [&dialog] { dialog.cancelClicked(); }, parent)
{
    setObjectName("globalOptions");
    ControlBinder &b = binder();

    auto *output = new QGroupBox(GlobalOptionsDialog::outputGroup, this);
    auto *estimate = fieldFor(b.bind(new QLineEdit(output), Id::EstimateEdit), "DVD Estimated Size 99999 MB");
    auto *sectors = fieldFor(b.bind(new QLineEdit(output), Id::SectorsEdit), "TargetSectors 99999999");
    auto *percent = fieldFor(b.bind(new QLineEdit(output), Id::PercentEdit), "100.0");
    auto *slider = b.bind(new QSlider(Qt::Horizontal, output), Id::PercentSlider);
    slider->setTracking(true);
    slider->setPageStep(10); // 1 %
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(10);
    auto *percentRow = new QHBoxLayout;
    percentRow->addWidget(labelFor(GlobalOptionsDialog::percentLabel, percent, output));
    percentRow->addWidget(percent, 1);
    auto *outputLayout = new QVBoxLayout(output);
    outputLayout->addWidget(estimate);
    outputLayout->addWidget(sectors);
    outputLayout->addLayout(percentRow);
    outputLayout->addWidget(slider);

    auto *backup = new QGroupBox(GlobalOptionsDialog::backupGroup, this);
    auto *restore = b.bind(new QPushButton(backup), Id::RestoreButton);
    auto *backupLayout = new QHBoxLayout(backup);
    backupLayout->addWidget(new QLabel(GlobalOptionsDialog::backupLabel, backup));
    backupLayout->addStretch();
    backupLayout->addWidget(restore);

    auto *paths = new QGroupBox(GlobalOptionsDialog::pathsGroup, this);
    auto *mediaPlayer = b.bind(new QPushButton(paths), Id::MediaPlayerButton);
    auto *cce = b.bind(new QPushButton(paths), Id::CceButton);
    auto *pathsLayout = new QHBoxLayout(paths);
    pathsLayout->addWidget(mediaPlayer);
    pathsLayout->addWidget(cce);
    for (QPushButton *button : {restore, mediaPlayer, cce})
        button->setAutoDefault(false);

    auto *ok = b.bind(new QPushButton(this), Id::OkButton);
    ok->setDefault(true);
    auto *cancel = b.bind(new QPushButton(this), Id::CancelButton);
    cancel->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(output);
    layout->addWidget(backup);
    layout->addWidget(paths);
    layout->addStretch();
    layout->addLayout(buttonRow({ok, cancel}));

    GlobalOptionsDialog &d = dialog;
    b.onSliderMoved(Id::PercentSlider, [&d](int position) { d.sliderMoved(position); });
    // A restore that succeeds ends the program; one that fails or is declined leaves the
    // window open.
    b.onClicked(Id::RestoreButton, [&d] { d.restoreClicked(); });
    b.onClicked(Id::MediaPlayerButton, [&d] { d.selectMediaPlayerClicked(); });
    b.onClicked(Id::CceButton, [&d] { d.selectCceClicked(); });
    onClickedMayClose(Id::OkButton, [&d] { d.okClicked(); });
    onClickedMayClose(Id::CancelButton, [&d] { d.cancelClicked(); });

    finishLayout(GlobalOptionsDialog::title, 170, 218);
}
