#include "encoder/EncoderSettingsDialog.h"

namespace {

using S = EncoderSettings;

bool filtersOff(const EncoderSettings &s)
{
    return s.filterOff == 1;
}

int clamped(int value, int minimum, int maximum)
{
    return value < minimum ? minimum : value > maximum ? maximum : value;
}

} // namespace

EncoderSettingsDialog::EncoderSettingsDialog(const Project &project, Segment &segment, Desktop &desktop)
    : SettingsDialogBase(project, segment, desktop, SettingsWindow::Generic, "Encoder Settings for", false,
                         {&S::intraDcPrecision, &S::gopHeader, &S::pictType, &S::pictComplexity, &S::filterOff,
                          &S::minBitrate, &S::maxBitrate, &S::alternateScan, &S::progressive, &S::quality}),
      m_cceFilters(encoderModeKind(project.encoderMode).editsCceFilters)
{
}

void EncoderSettingsDialog::onRadio(int id)
{
    EncoderSettings &s = settings();
    switch (id) {
    case FilterNoneRadio: s.filterOff = 1; break;
    case FilterNaturalRadio: s.filterOff = 0; s.pictType = 0; break;
    case FilterCgRadio: s.filterOff = 0; s.pictType = 1; break;
    case FilterAnimationRadio: s.filterOff = 0; s.pictType = 2; break;
    default: SettingsDialogBase::onRadio(id); break;
    }
}

void EncoderSettingsDialog::onSlider(int id, int position)
{
    if (id == QualitySlider)
        settings().quality = position;
    else if (id == ComplexitySlider)
        settings().pictComplexity = position;
}

void EncoderSettingsDialog::addControls(ControlTable &table) const
{
    const EncoderSettings &s = settings();
    const bool shown = m_cceFilters;
    const bool off = filtersOff(s);

    addSegmentLine(table);
    addDcAndGop(table);
    table.add(FilterGroup, group("Filter").show(shown));
    table.add(FilterNoneRadio, radio("None", off).show(shown));
    table.add(FilterNaturalRadio, radio("Natural Picture", !off && s.pictType == 0).show(shown));
    table.add(FilterCgRadio, radio("Computer Graphics", !off && s.pictType == 1).show(shown));
    table.add(FilterAnimationRadio, radio("Animation", !off && s.pictType != 0 && s.pictType != 1).show(shown));
    // Quality goes with the filters off, complexity with a filter on. A quality the list never
    // set (-1) shows as 0 and cannot be changed here.
    const bool qualitySet = s.quality != -1;
    table.add(QualityLabel, label("Quantization Characteristics").show(shown));
    table.add(QualitySlider, slider(0, 100, clamped(s.quality, 0, 100)).enable(off && qualitySet).show(shown));
    table.add(QualityNumber, label(std::to_string(qualitySet ? s.quality : 0)).show(shown));
    table.add(ComplexityLabel, label("Complexity").show(shown));
    table.add(ComplexitySlider, slider(0, 4, clamped(s.pictComplexity, 0, 4)).enable(!off).show(shown));
    table.add(ComplexityNumber, label(std::to_string(s.pictComplexity)).show(shown));
    addScanAndProgressive(table, shown);
    addBitrates(table);
    addButtons(table);
}
