#include "encoder/SettingsDialogBase.h"

#include "common/Format.h"
#include "platform/Desktop.h"
#include "platform/TypedFields.h"

SettingsDialogBase::SettingsDialogBase(const Project &project, Segment &segment, Desktop &desktop,
                                       SettingsWindow kind, const char *titleText, bool okSetsReplanned,
                                       std::vector<Field> restored)
    : m_project(project), m_segment(segment), m_desktop(desktop), m_kind(kind), m_titleText(titleText),
      m_okSetsReplanned(okSetsReplanned), m_restored(std::move(restored)), m_snapshot(segment.settings),
      m_minText(std::to_string(segment.settings.minBitrate)), m_maxText(std::to_string(segment.settings.maxBitrate))
{
}

std::string SettingsDialogBase::segmentLabel(const Segment &segment)
{
    return cformat("VTS %d - VobID %d", segment.vts, segment.cells.empty() ? 0 : segment.cells.front().vobId);
}

ControlTable SettingsDialogBase::controls() const
{
    ControlTable table;
    addControls(table);
    return table;
}

bool SettingsDialogBase::isUsable(int id) const
{
    const ControlTable table = controls();
    const Control *control = table.find(id);
    return control && control->visible && control->enabled;
}

// ---- Commands ------------------------------------------------------------------------------

void SettingsDialogBase::radioClicked(int id)
{
    if (isUsable(id))
        onRadio(id);
}

void SettingsDialogBase::checkClicked(int id, bool checked)
{
    if (isUsable(id))
        onCheck(id, checked);
}

void SettingsDialogBase::sliderMoved(int id, int position)
{
    const ControlTable table = controls();
    const Control *control = table.find(id);
    if (control && control->kind == ControlKind::Slider && control->visible && control->enabled
        && position >= control->minimum && position <= control->maximum)
        onSlider(id, position);
}

void SettingsDialogBase::listChosen(int id, int row)
{
    const ControlTable table = controls();
    const Control *control = table.find(id);
    if (control && control->visible && control->enabled && row >= 0 && row < int(control->rows.size()))
        onList(id, row);
}

void SettingsDialogBase::editCommitted(int id, const std::string &text)
{
    if (!isUsable(id))
        return;
    if (id == MinBitrateEdit)
        minBitrateTyped(text);
    else if (id == MaxBitrateEdit)
        maxBitrateTyped(text);
}

void SettingsDialogBase::onRadio(int id)
{
    EncoderSettings &s = settings();
    switch (id) {
    case Dc10Radio: s.intraDcPrecision = 2; break;
    case Dc9Radio: s.intraDcPrecision = 1; break;
    case Dc8Radio: s.intraDcPrecision = 0; break;
    case Gop12Radio: s.gopHeader = 12; break;
    case Gop15Radio: s.gopHeader = 15; break;
    case ZigZagRadio: s.alternateScan = 0; break;
    case AlternateRadio: s.alternateScan = 1; break;
    default: break;
    }
}

void SettingsDialogBase::onCheck(int id, bool checked)
{
    if (id == ProgressiveBox)
        settings().progressive = checked ? 1 : 0;
}

void SettingsDialogBase::onSlider(int, int) {}

void SettingsDialogBase::onList(int, int) {}

namespace {

// Reads a bitrate edit as it loses focus. An integer outside the range is still taken, after
// the range message; OK refuses it later.
std::optional<int> readTypedBitrate(Desktop &desktop, const std::string &text, int highest)
{
    const std::optional<int> value = readInteger(desktop, text);
    if (value && (*value < 0 || *value > highest))
        desktop.showMessage(integerRangeText(0, highest), Desktop::Icon::Error);
    return value;
}

} // namespace

void SettingsDialogBase::minBitrateTyped(const std::string &text)
{
    m_minText = text;
    const std::optional<int> value = readTypedBitrate(m_desktop, text, highestMinBitrate);
    if (!value)
        return;
    EncoderSettings &s = settings();
    s.minBitrate = *value;
    m_minText = std::to_string(*value);
    if (s.maxBitrate < s.minBitrate) {
        s.maxBitrate = s.minBitrate;
        m_maxText = m_minText;
    }
}

void SettingsDialogBase::maxBitrateTyped(const std::string &text)
{
    m_maxText = text;
    const std::optional<int> value = readTypedBitrate(m_desktop, text, highestMaxBitrate);
    if (!value)
        return;
    EncoderSettings &s = settings();
    s.maxBitrate = *value;
    m_maxText = std::to_string(*value);
    if (s.minBitrate > s.maxBitrate) {
        s.minBitrate = s.maxBitrate;
        m_minText = m_maxText;
    }
}

bool SettingsDialogBase::okClicked()
{
    // Set before the check: a refused OK followed by Cancel still asks for a new Q factor.
    if (m_okSetsReplanned)
        m_segment.replanned = true;
    if (!readIntegerBetween(m_desktop, m_minText, 0, highestMinBitrate)) {
        m_focusRequest = MinBitrateEdit;
        return false;
    }
    if (!readIntegerBetween(m_desktop, m_maxText, 0, highestMaxBitrate)) {
        m_focusRequest = MaxBitrateEdit;
        return false;
    }
    return true;
}

void SettingsDialogBase::cancelClicked()
{
    for (Field field : m_restored)
        settings().*field = m_snapshot.*field;
}

int SettingsDialogBase::takeFocusRequest()
{
    const int id = m_focusRequest;
    m_focusRequest = 0;
    return id;
}

// ---- Controls ------------------------------------------------------------------------------

void SettingsDialogBase::addSegmentLine(ControlTable &table) const
{
    table.add(TitleLabel, label(m_titleText));
    table.add(SegmentText, readOnlyEdit(segmentLabel(m_segment)));
}

void SettingsDialogBase::addDcAndGop(ControlTable &table) const
{
    const EncoderSettings &s = settings();
    table.add(DcGroup, group("DC Precision"));
    table.add(Dc10Radio, radio("10", s.intraDcPrecision == 2));
    table.add(Dc9Radio, radio("9", s.intraDcPrecision == 1));
    table.add(Dc8Radio, radio("8", s.intraDcPrecision != 1 && s.intraDcPrecision != 2));
    table.add(GopGroup, group("Gop Length"));
    table.add(Gop12Radio, radio("12", s.gopHeader == 12));
    table.add(Gop15Radio, radio("15", s.gopHeader != 12));
}

void SettingsDialogBase::addScanAndProgressive(ControlTable &table, bool shown) const
{
    const EncoderSettings &s = settings();
    // -1: the segment's cells disagree, and each keeps its own value until they are linked anew.
    const bool scanAgreed = s.alternateScan != -1;
    table.add(ScanGroup, group("Block Scan Order").show(shown));
    table.add(ZigZagRadio, radio("ZigZag", s.alternateScan != 1).enable(scanAgreed).show(shown));
    table.add(AlternateRadio, radio("Alternate", s.alternateScan == 1).enable(scanAgreed).show(shown));
    const bool progressiveAgreed = s.progressive != -1;
    table.add(ProgressiveBox, checkBox("Progressive", progressiveAgreed && s.progressive != 0).enable(progressiveAgreed));
}

void SettingsDialogBase::addBitrates(ControlTable &table) const
{
    table.add(MinBitrateLabel, label("Min Bitrate"));
    table.add(MinBitrateEdit, edit(m_minText));
    table.add(MaxBitrateLabel, label("Max Bitrate"));
    table.add(MaxBitrateEdit, edit(m_maxText));
}

void SettingsDialogBase::addButtons(ControlTable &table) const
{
    table.add(OkButton, button("OK"));
    table.add(CancelButton, button("Cancel"));
}
