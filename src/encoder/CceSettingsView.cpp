#include "encoder/CceSettingsView.h"

#include "encoder/CceSettingsDialogBase.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>

using Base = SettingsDialogBase;
using Cce = CceSettingsDialogBase;

CceSettingsView::CceSettingsView(SettingsDialogBase &dialog, QWidget *parent)
    : SettingsView(dialog, parent)
{
    setObjectName("cceSettingsWindow");
    auto *columns = new QHBoxLayout;
    columns->addLayout(encodingColumn());
    columns->addSpacing(fontMetrics().averageCharWidth() * 2);
    columns->addLayout(filterColumn());

    auto *body = new QVBoxLayout;
    body->addLayout(segmentLine());
    body->addLayout(columns);
    finish(body);
}

// Left: how the segment is encoded.
QLayout *CceSettingsView::encodingColumn()
{
    auto *column = new QVBoxLayout;

    auto *passes = binder().bind(new QComboBox(this), Cce::PassesList);
    auto *passesRow = new QHBoxLayout;
    passesRow->addWidget(label(Cce::PassesLabel, passes));
    passesRow->addWidget(passes);
    passesRow->addStretch();
    column->addLayout(passesRow);

    column->addWidget(dcGroup());
    column->addWidget(gopGroup());
    column->addWidget(scanGroup());
    column->addWidget(checkBox(Base::ProgressiveBox));
    if (has(Cce::FadesBox))
        column->addWidget(checkBox(Cce::FadesBox));
    column->addLayout(bitrateRows());

    auto *matrices = binder().bind(new QComboBox(this), Cce::MatricesList);
    matrices->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    column->addWidget(label(Cce::MatricesLabel, matrices));
    column->addWidget(matrices);
    if (has(Cce::AdjustQBox))
        column->addWidget(checkBox(Cce::AdjustQBox));
    column->addStretch();
    return column;
}

// Right: quality, bias, the filters and their presets.
QLayout *CceSettingsView::filterColumn()
{
    auto *column = new QVBoxLayout;

    auto *rates = new QGridLayout;
    QSlider *quality = addSlider(rates, 0, Base::QualitySlider, Base::QualityNumber);
    rates->addWidget(label(Base::QualityLabel, quality), 0, 0);
    QSlider *bias = addSlider(rates, 1, Cce::BiasSlider, Cce::BiasNumber);
    rates->addWidget(label(Cce::BiasLabel, bias), 1, 0);
    rates->setColumnStretch(1, 1);
    column->addLayout(rates);

    auto *filters = binder().bind(new QGroupBox(this), Cce::FiltersGroup);
    auto *grid = new QGridLayout(filters);
    grid->addWidget(checkBox(Cce::LowPassBox), 0, 0);
    addSlider(grid, 0, Cce::LowPassSlider, Cce::LowPassNumber);
    if (has(Cce::VerticalCaption)) {
        // The SP's vertical filter box has no caption of its own: the text beside it names it.
        QWidget *box = checkBox(Cce::VerticalBox);
        auto *captioned = new QHBoxLayout;
        captioned->setSpacing(style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing));
        captioned->addWidget(box);
        captioned->addWidget(label(Cce::VerticalCaption, box));
        captioned->addStretch();
        grid->addLayout(captioned, 1, 0);
    } else {
        grid->addWidget(checkBox(Cce::VerticalBox), 1, 0);
    }
    addSlider(grid, 1, Cce::VerticalSlider, Cce::VerticalNumber);
    grid->addWidget(checkBox(Cce::DitherBox), 2, 0, 1, 3);
    const int indent = fontMetrics().averageCharWidth() * 3;
    QSlider *ditherY = addSlider(grid, 3, Cce::DitherYSlider, Cce::DitherYNumber);
    QLabel *y = label(Cce::DitherYLabel, ditherY);
    y->setIndent(indent);
    grid->addWidget(y, 3, 0);
    if (has(Cce::DitherCSlider)) {
        QSlider *ditherC = addSlider(grid, 4, Cce::DitherCSlider, Cce::DitherCNumber);
        QLabel *c = label(Cce::DitherCLabel, ditherC);
        c->setIndent(indent);
        grid->addWidget(c, 4, 0);
    }
    grid->setColumnStretch(1, 1);
    column->addWidget(filters);

    auto *presets = binder().bind(new QGroupBox(this), Cce::PresetGroup);
    auto *presetGrid = new QGridLayout(presets);
    for (int preset = 0; preset < 4; ++preset)
        presetGrid->addWidget(binder().bind(new QRadioButton(presets), Cce::PresetNoneRadio + preset), preset / 2,
                              preset % 2);
    column->addWidget(presets);
    column->addStretch();
    return column;
}
