#include "encoder/EncoderSettingsView.h"

#include "encoder/EncoderSettingsDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

using Base = SettingsDialogBase;
using Generic = EncoderSettingsDialog;

EncoderSettingsView::EncoderSettingsView(SettingsDialogBase &dialog, QWidget *parent)
    : SettingsView(dialog, parent)
{
    setObjectName("encoderSettingsWindow");

    // Left: what every encoder mode edits.
    auto *left = new QVBoxLayout;
    left->addWidget(dcGroup());
    left->addWidget(gopGroup());
    left->addWidget(scanGroup());
    left->addWidget(checkBox(Base::ProgressiveBox));
    left->addLayout(bitrateRows());
    left->addStretch();

    // Right (CCE mode only): the filter choice, with the quality it replaces.
    auto *filter = binder().bind(new QGroupBox(this), Generic::FilterGroup);
    auto *choices = new QGridLayout(filter);
    for (int row = 0; row < 4; ++row)
        choices->addWidget(binder().bind(new QRadioButton(filter), Generic::FilterNoneRadio + row), row / 2, row % 2);
    auto *sliders = new QGridLayout;
    QSlider *quality = addSlider(sliders, 0, Base::QualitySlider, Base::QualityNumber);
    sliders->addWidget(label(Base::QualityLabel, quality), 0, 0);
    QSlider *complexity = addSlider(sliders, 1, Generic::ComplexitySlider, Generic::ComplexityNumber);
    sliders->addWidget(label(Generic::ComplexityLabel, complexity), 1, 0);
    sliders->setColumnStretch(1, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(filter);
    right->addLayout(sliders);
    right->addStretch();

    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    auto *body = new QVBoxLayout;
    body->addLayout(segmentLine());
    body->addLayout(columns);
    finish(body);
}
