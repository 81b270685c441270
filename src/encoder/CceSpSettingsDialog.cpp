#include "encoder/CceSpSettingsDialog.h"

namespace {

using S = EncoderSettings;
constexpr std::nullopt_t open = std::nullopt; // the value the field had when the window opened

// The presets' values; the chroma dither limit is no SP setting and stays as it is.
const CceSettingsDialogBase::PresetTable &presets()
{
    static const CceSettingsDialogBase::PresetTable table = {{
        // None
        {{&S::useFilter, 0}, {&S::filterValue, open}, {&S::dither, 0}, {&S::ditherMax, open}, {&S::hFilter, 0},
         {&S::hFilterIndex, open}, {&S::quality, open}},
        // Natural Picture
        {{&S::useFilter, 1}, {&S::filterValue, 4}, {&S::dither, 0}, {&S::ditherMax, 8}, {&S::hFilter, 1},
         {&S::hFilterIndex, 8}, {&S::quality, 16}},
        // Computer Graphics
        {{&S::useFilter, 1}, {&S::filterValue, 12}, {&S::dither, 1}, {&S::ditherMax, 12}, {&S::hFilter, 1},
         {&S::hFilterIndex, 8}, {&S::quality, 3}},
        // Animation
        {{&S::useFilter, 1}, {&S::filterValue, 4}, {&S::dither, 1}, {&S::ditherMax, 12}, {&S::hFilter, 1},
         {&S::hFilterIndex, 8}, {&S::quality, 24}},
    }};
    return table;
}

CceSettingsDialogBase::Profile spProfile(int cceType)
{
    const CceKind &kind = cceKind(cceType);
    CceSettingsDialogBase::Profile p{};
    p.full = kind.fullSpFeatures;
    p.quality = p.full ? CceSettingsDialogBase::Range{0, 64} : CceSettingsDialogBase::Range{0, 100};
    p.lowPass = {2, 10};
    p.vertical = p.full ? CceSettingsDialogBase::Range{1, 64} : CceSettingsDialogBase::Range{0, 32};
    p.ditherY = {1, 128};
    p.cce270Controls = false;
    p.biasCaption = "CCE SP 2.6x VBR Bias";
    p.presetsCaption = "CCE SP 2.6x Presets";
    p.verticalCaption = kind.verticalFilterCaption;
    p.presets = &presets();
    p.recognisedPreset = &CceSpSettingsDialog::recognisedPreset;
    return p;
}

} // namespace

CceSpSettingsDialog::CceSpSettingsDialog(const Project &project, Segment &segment, Desktop &desktop)
    : CceSettingsDialogBase(project, segment, desktop, SettingsWindow::CceSp, spProfile(project.cceType),
                            {&S::quality, &S::vbrPasses, &S::intraDcPrecision, &S::gopHeader, &S::useFilter,
                             &S::filterValue, &S::dither, &S::ditherMax, &S::hFilter, &S::hFilterIndex,
                             &S::qmatIndex, &S::vbrBias, &S::minBitrate, &S::maxBitrate, &S::alternateScan,
                             &S::progressive})
{
}

int CceSpSettingsDialog::recognisedPreset(const EncoderSettings &s)
{
    const bool lowPass = s.hFilter != 0;
    const bool vertical = s.useFilter != 0;
    const bool dither = s.dither != 0;
    if (!vertical)
        return lowPass || dither ? NoPreset : PresetNone;
    if (!lowPass)
        return NoPreset;
    if (!dither)
        return s.hFilterIndex == 8 && s.filterValue == 4 ? PresetNatural : NoPreset;
    if (s.hFilterIndex != 8 || s.ditherMax != 12)
        return NoPreset;
    if (s.filterValue == 12)
        return PresetCg;
    if (s.filterValue == 4)
        return PresetAnimation;
    return NoPreset;
}
