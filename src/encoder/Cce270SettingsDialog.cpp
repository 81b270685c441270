#include "encoder/Cce270SettingsDialog.h"

namespace {

using S = EncoderSettings;
constexpr std::nullopt_t open = std::nullopt; // the value the field had when the window opened

// The presets' values; the vertical filter is switched off by each, keeping its strength.
const CceSettingsDialogBase::PresetTable &presets()
{
    static const CceSettingsDialogBase::PresetTable table = {{
        // None
        {{&S::useFilter, 0}, {&S::filterValue, open}, {&S::dither, 0}, {&S::ditherMax, open},
         {&S::ditherCMax, open}, {&S::hFilter, 0}, {&S::hFilterIndex, open}, {&S::quality, open}},
        // Natural Picture
        {{&S::useFilter, 0}, {&S::filterValue, open}, {&S::dither, 0}, {&S::ditherMax, open},
         {&S::ditherCMax, open}, {&S::hFilter, 1}, {&S::hFilterIndex, 32}, {&S::quality, 16}},
        // Computer Graphics
        {{&S::useFilter, 0}, {&S::filterValue, open}, {&S::dither, 1}, {&S::ditherMax, 12},
         {&S::ditherCMax, 6}, {&S::hFilter, 1}, {&S::hFilterIndex, 32}, {&S::quality, 3}},
        // Animation
        {{&S::useFilter, 0}, {&S::filterValue, open}, {&S::dither, 0}, {&S::ditherMax, open},
         {&S::ditherCMax, open}, {&S::hFilter, 1}, {&S::hFilterIndex, 32}, {&S::quality, 24}},
    }};
    return table;
}

CceSettingsDialogBase::Profile cce270Profile()
{
    CceSettingsDialogBase::Profile p{};
    p.quality = {0, 100};
    p.lowPass = {4, 47}; // the two CCE 2.70 indices combined: first x 4 + second
    p.vertical = {1, 64};
    p.ditherY = {0, 128};
    p.full = true;
    p.cce270Controls = true;
    p.biasCaption = "VBR Bias";
    p.presetsCaption = "Filters Presets";
    p.verticalCaption = nullptr;
    p.presets = &presets();
    p.recognisedPreset = &Cce270SettingsDialog::recognisedPreset;
    return p;
}

} // namespace

Cce270SettingsDialog::Cce270SettingsDialog(const Project &project, Segment &segment, Desktop &desktop)
    : CceSettingsDialogBase(project, segment, desktop, SettingsWindow::Cce270, cce270Profile(),
                            {&S::quality, &S::vbrPasses, &S::intraDcPrecision, &S::gopHeader, &S::useFilter,
                             &S::filterValue, &S::dither, &S::ditherMax, &S::ditherCMax, &S::hFilter,
                             &S::hFilterIndex, &S::qmatIndex, &S::vbrBias, &S::minBitrate, &S::maxBitrate,
                             &S::alternateScan, &S::progressive, &S::adjustQMatrix, &S::noMove})
{
}

int Cce270SettingsDialog::recognisedPreset(const EncoderSettings &s)
{
    const bool lowPass = s.hFilter != 0;
    const bool vertical = s.useFilter != 0;
    const bool dither = s.dither != 0;
    if (!lowPass)
        return vertical || dither ? NoPreset : PresetNone;
    // With the low pass on, the vertical filter plays no part.
    if (dither)
        return s.hFilterIndex == 32 && s.ditherMax == 12 && s.ditherCMax == 6 && s.quality == 3 ? PresetCg
                                                                                                  : PresetNone;
    if (s.hFilterIndex != 32)
        return PresetNone;
    if (s.quality == 16)
        return PresetNatural;
    if (s.quality == 24)
        return PresetAnimation;
    return PresetNone;
}
