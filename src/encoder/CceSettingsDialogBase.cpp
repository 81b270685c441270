#include "encoder/CceSettingsDialogBase.h"

#include "common/Format.h"

namespace {

// The filter boxes show any value but 0 as ticked: a list without the key leaves -1.
bool ticked(int field)
{
    return field != 0;
}

Control number(int value)
{
    return label(std::to_string(value));
}

// The list entry of a matrix index; none for an index no entry stands for.
int matricesRow(int qmatIndex)
{
    if (qmatIndex == -1)
        return CceSettingsDialogBase::customMatricesRow;
    return qmatIndex >= 0 && qmatIndex < CceSettingsDialogBase::customMatricesRow ? qmatIndex : -1;
}

} // namespace

const std::vector<std::string> &CceSettingsDialogBase::passesRows()
{
    static const std::vector<std::string> rows = [] {
        std::vector<std::string> list;
        for (int passes = 2; passes <= 10; ++passes)
            list.push_back(cformat("%2d", passes));
        return list;
    }();
    return rows;
}

const std::vector<std::string> &CceSettingsDialogBase::matricesRows()
{
    static const std::vector<std::string> rows = {"Standard",         "MPEG Standard",     "Smooth (CG etc.)",
                                                  "Very Low Bitrate", "Ultra Low Bitrate", "Custom"};
    return rows;
}

const std::array<const char *, 4> &CceSettingsDialogBase::presetCaptions()
{
    static const std::array<const char *, 4> captions = {"None", "Natural Picture", "Computer Graphics", "Animation"};
    return captions;
}

CceSettingsDialogBase::CceSettingsDialogBase(const Project &project, Segment &segment, Desktop &desktop,
                                             SettingsWindow kind, const Profile &profile, std::vector<Field> restored)
    : SettingsDialogBase(project, segment, desktop, kind, "CCE Settings for", true, std::move(restored)),
      m_profile(profile)
{
    indicatePreset();
}

// ---- Commands ------------------------------------------------------------------------------

void CceSettingsDialogBase::passesChosen(int row)
{
    listChosen(PassesList, row);
}

MatricesLoad CceSettingsDialogBase::matricesChosen(int row)
{
    if (!isUsable(MatricesList) || row < 0 || row > customMatricesRow)
        return MatricesLoad::Cancelled;
    MatricesLoad result = MatricesLoad::Loaded;
    if (row == customMatricesRow)
        result = loadCustomMatrices(segment(), desktop());
    else
        settings().qmatIndex = row;
    // CCE 2.70 switches between matrices on its own unless told not to; a matrix the user
    // picked is meant to stay.
    if (m_profile.cce270Controls)
        settings().adjustQMatrix = 1;
    return result;
}

void CceSettingsDialogBase::presetChosen(int row)
{
    if (row >= 0 && row < int(presetCaptions().size()))
        radioClicked(PresetNoneRadio + row);
}

void CceSettingsDialogBase::onRadio(int id)
{
    if (id >= PresetNoneRadio && id <= PresetAnimationRadio)
        applyPreset(id - PresetNoneRadio);
    else
        SettingsDialogBase::onRadio(id);
}

void CceSettingsDialogBase::onCheck(int id, bool checked)
{
    EncoderSettings &s = settings();
    const int value = checked ? 1 : 0;
    switch (id) {
    case FadesBox: s.noMove = value; return;
    case AdjustQBox: s.adjustQMatrix = value; return;
    case LowPassBox: s.hFilter = value; break;
    case VerticalBox: s.useFilter = value; break;
    case DitherBox: s.dither = value; break;
    default: SettingsDialogBase::onCheck(id, checked); return;
    }
    indicatePreset();
}

void CceSettingsDialogBase::onSlider(int id, int position)
{
    EncoderSettings &s = settings();
    switch (id) {
    // Quality and bias are no part of what a preset is recognised by, or so the user sees it.
    case QualitySlider: s.quality = position; return;
    case BiasSlider: s.vbrBias = position; return;
    case LowPassSlider: s.hFilterIndex = position; break;
    case VerticalSlider: s.filterValue = position; break;
    case DitherYSlider: s.ditherMax = position; break;
    case DitherCSlider: s.ditherCMax = position; break;
    default: return;
    }
    indicatePreset();
}

void CceSettingsDialogBase::onList(int id, int row)
{
    if (id == PassesList)
        settings().vbrPasses = row + 1; // the list starts at 2 passes for a stored 1
    else if (id == MatricesList)
        matricesChosen(row);
}

void CceSettingsDialogBase::applyPreset(int preset)
{
    for (const PresetValue &entry : (*m_profile.presets)[std::size_t(preset)])
        settings().*entry.field = entry.value ? *entry.value : settingsSnapshot().*entry.field;
    // The clicked radio stays checked even where the values would be recognised as another.
    m_checkedPreset = preset;
}

void CceSettingsDialogBase::indicatePreset()
{
    m_checkedPreset = m_profile.full ? m_profile.recognisedPreset(settings()) : NoPreset;
}

// ---- Controls ------------------------------------------------------------------------------

void CceSettingsDialogBase::addControls(ControlTable &table) const
{
    const EncoderSettings &s = settings();
    const Profile &p = m_profile;
    const bool full = p.full;

    addSegmentLine(table);
    table.add(PassesLabel, label("Passes"));
    // A stored value the list has no entry for selects none and stays until one is chosen.
    table.add(PassesList, dropDown(passesRows(), s.vbrPasses >= 1 && s.vbrPasses <= 9 ? s.vbrPasses - 1 : -1));
    addDcAndGop(table);
    addScanAndProgressive(table, true);
    if (p.cce270Controls)
        table.add(FadesBox, checkBox("Fades on a static scene", ticked(s.noMove)));

    // A value outside a slider's range stays as it is; the slider shows the nearest end.
    table.add(QualityLabel, label("Quantizer Characteristics"));
    table.add(QualitySlider, slider(p.quality.minimum, p.quality.maximum, p.quality.clamp(s.quality)));
    table.add(QualityNumber, number(s.quality));
    const Range bias{0, 100};
    table.add(BiasLabel, label(p.biasCaption));
    table.add(BiasSlider, slider(bias.minimum, bias.maximum, full ? bias.clamp(s.vbrBias) : 0).enable(full));
    table.add(BiasNumber, number(full ? s.vbrBias : 0));

    addBitrates(table);
    table.add(MatricesLabel, label("Quantization Matrices"));
    table.add(MatricesList, dropDown(matricesRows(), full ? matricesRow(s.qmatIndex) : -1).enable(full));
    if (p.cce270Controls)
        table.add(AdjustQBox, checkBox("Disable Adaptive Q matrix switching", ticked(s.adjustQMatrix)));

    table.add(FiltersGroup, group("Filters"));
    const bool lowPass = full && ticked(s.hFilter);
    table.add(LowPassBox, checkBox("Low Pass", lowPass).enable(full));
    table.add(LowPassSlider, slider(p.lowPass.minimum, p.lowPass.maximum, p.lowPass.clamp(s.hFilterIndex)).enable(lowPass));
    table.add(LowPassNumber, number(s.hFilterIndex));
    const bool vertical = ticked(s.useFilter);
    table.add(VerticalBox, checkBox(p.verticalCaption ? "" : "Vertical Filter", vertical));
    if (p.verticalCaption)
        table.add(VerticalCaption, label(p.verticalCaption));
    table.add(VerticalSlider,
              slider(p.vertical.minimum, p.vertical.maximum, p.vertical.clamp(s.filterValue)).enable(vertical));
    table.add(VerticalNumber, number(s.filterValue));
    const bool dither = full && ticked(s.dither);
    table.add(DitherBox, checkBox("Dithered Quantization", dither).enable(full));
    table.add(DitherYLabel, label("Y"));
    table.add(DitherYSlider, slider(p.ditherY.minimum, p.ditherY.maximum, p.ditherY.clamp(s.ditherMax)).enable(dither));
    table.add(DitherYNumber, number(s.ditherMax));
    if (p.cce270Controls) {
        const Range chroma{0, 128};
        table.add(DitherCLabel, label("C"));
        table.add(DitherCSlider, slider(chroma.minimum, chroma.maximum, chroma.clamp(s.ditherCMax)).enable(dither));
        table.add(DitherCNumber, number(s.ditherCMax));
    }

    table.add(PresetGroup, group(p.presetsCaption));
    for (int preset = 0; preset < int(presetCaptions().size()); ++preset)
        table.add(PresetNoneRadio + preset,
                  radio(presetCaptions()[std::size_t(preset)], m_checkedPreset == preset).enable(full));
    addButtons(table);
}
