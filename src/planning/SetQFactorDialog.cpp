#include "planning/SetQFactorDialog.h"

#include "common/Format.h"
#include "platform/TypedFields.h"

namespace {

// The window's texts, in one place until every window takes them from a shared one.
std::string segmentLabel(const Project &project, const Segment &segment)
{
    const int vobId = segment.cells.empty() ? 0 : segment.cells.front().vobId;
    if (project.lastSegmentIndex() >= 99)
        return cformat("VTS %2d - VobID %4d", segment.vts, vobId);
    return cformat("VTS %2d - VobID %2d", segment.vts, vobId);
}

} // namespace

SetQFactorDialog::SetQFactorDialog(Project &project, int segmentIndex, Desktop &desktop)
    : m_project(project), m_desktop(desktop)
{
    if (segmentIndex >= 0 && segmentIndex <= project.lastSegmentIndex())
        m_segment = &project.segment(segmentIndex);
    if (!m_segment)
        return;
    m_calculated = m_segment->replanned;
    m_qText = std::to_string(m_segment->settings.opvQFactor);
}

ControlTable SetQFactorDialog::controls() const
{
    ControlTable table;
    table.add(SegmentEdit, readOnlyEdit(m_segment ? segmentLabel(m_project, *m_segment) : std::string()));
    table.add(CalculatedRadio, radio("Calculated", m_calculated).enable(m_segment != nullptr));
    table.add(SetToRadio, radio("Set to", !m_calculated).enable(m_segment != nullptr));
    table.add(QEdit, edit(m_qText).enable(m_segment && !m_calculated));
    table.add(OkButton, button("OK").enable(m_segment != nullptr));
    table.add(CancelButton, button("Cancel"));
    return table;
}

std::optional<int> SetQFactorDialog::readQ()
{
    return readIntegerBetween(m_desktop, m_qText, lowestQ, highestQ);
}

void SetQFactorDialog::qTyped(const std::string &text)
{
    m_qText = text;
}

void SetQFactorDialog::calculatedClicked()
{
    if (!m_segment)
        return;
    // The click reads the fields, so a bad Q is reported here too; the choice still counts.
    readQ();
    m_calculated = true;
}

void SetQFactorDialog::setToClicked()
{
    if (!m_segment)
        return;
    readQ();
    m_calculated = false;
}

bool SetQFactorDialog::okClicked()
{
    if (!m_segment || m_result != DialogResult::Open)
        return false;
    // Checked whichever radio is chosen: a segment holding no valid Q cannot be confirmed
    // until one is typed.
    const std::optional<int> q = readQ();
    if (!q)
        return false;
    if (m_calculated) {
        m_segment->replanned = true; // the prediction replaces opvQFactor at the next save
    } else {
        m_segment->replanned = false;
        m_segment->settings.opvQFactor = *q;
    }
    m_result = DialogResult::Ok;
    return true;
}

void SetQFactorDialog::cancelClicked()
{
    if (m_result == DialogResult::Open)
        m_result = DialogResult::Cancel;
}
