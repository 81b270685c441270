#include "planning/TweakCellsDialog.h"

#include "common/Format.h"
#include "planning/Truncate.h"
#include "platform/TypedFields.h"
#include "scripts/Preview.h"

#include <cmath>
#include <cstdlib>

namespace {

// The window's texts, in one place until every window takes them from a shared one.
std::string segmentLabel(const Segment &segment)
{
    // Always the 4-digit form here, whatever the number of segments.
    return cformat("VTS %2d - Vob-ID %4d", segment.vts, segment.cells.empty() ? 0 : segment.cells.front().vobId);
}

std::string cellRow(const Cell &cell)
{
    return cformat("Vob-ID %3d   Cell %4d", cell.vobId, cell.subId);
}

// The reduction field holds a 32-bit float, and the slider rule compares against what it holds.
float shownReduction(const Cell &cell)
{
    return float(cell.reduction());
}

} // namespace

TweakCellsDialog::TweakCellsDialog(Project &project, int segmentIndex, Desktop &desktop, AppSettings &settings,
                                   std::string settingsFolder)
    : m_project(project), m_desktop(desktop), m_settings(settings), m_settingsFolder(std::move(settingsFolder))
{
    if (segmentIndex >= 0 && segmentIndex <= project.lastSegmentIndex())
        m_segment = &project.segment(segmentIndex);
    if (!m_segment)
        return;
    m_segmentAverage = m_segment->averageBitrate();
    if (m_segment->cellCount() > 0) {
        m_selectedCell = 0;
        showCell();
    }
}

Cell *TweakCellsDialog::cell()
{
    return m_selectedCell < 0 ? nullptr : &m_segment->cells[std::size_t(m_selectedCell)];
}

const Cell *TweakCellsDialog::cell() const
{
    return m_selectedCell < 0 ? nullptr : &m_segment->cells[std::size_t(m_selectedCell)];
}

std::int64_t TweakCellsDialog::slack() const
{
    return m_project.targetTotalSize - m_project.currentTotalSize();
}

void TweakCellsDialog::showCell()
{
    m_sliderRange = planning::cellSliderRange(*m_segment, m_selectedCell);
    m_sliderPosition = m_sliderRange.position(shownReduction(*cell()));
}

ControlTable TweakCellsDialog::controls() const
{
    ControlTable table;
    const Cell *c = cell();
    std::vector<std::string> rows;
    if (m_segment)
        for (const Cell &each : m_segment->cells)
            rows.push_back(cellRow(each));
    const bool tweaked = c && c->tweaked;

    table.add(SegmentEdit, readOnlyEdit(m_segment ? segmentLabel(*m_segment) : std::string()));
    table.add(AverageEdit, readOnlyEdit(m_segment ? std::to_string(m_segmentAverage) : std::string()));
    table.add(CellList, list(std::move(rows), m_selectedCell));
    table.add(CellEdit, readOnlyEdit(c ? std::to_string(c->subId) : std::string()));
    table.add(FramesEdit, readOnlyEdit(c ? std::to_string(c->frames) : std::string()));
    // Cells of 10 frames or fewer are never planned, so they cannot be tweaked either.
    table.add(AutosizedBox, checkBox("Autosized", c && !c->tweaked).enable(c && c->significant));
    table.add(ViewCellButton, button("View Cell").enable(c != nullptr));
    table.add(BitrateEdit, edit(c ? std::to_string(c->bitrate) : std::string()).enable(tweaked));
    table.add(ReductionEdit, readOnlyEdit(c ? formatGeneral(shownReduction(*c), 6) : std::string()));
    table.add(ReductionSlider, slider(0, planning::sliderPositions, m_sliderPosition).enable(tweaked));
    table.add(ApplyButton, button("Apply"));
    table.add(ResetButton, button("Reset").enable(m_segment != nullptr));
    return table;
}

void TweakCellsDialog::cellSelected(int row)
{
    if (!m_segment || row < 0 || row >= m_segment->cellCount())
        return;
    m_selectedCell = row;
    showCell();
}

void TweakCellsDialog::autosizedClicked(bool checked)
{
    Cell *c = cell();
    if (!c || !c->significant)
        return;
    // Only locks or releases the cell: its bitrate stays until it or its segment is replanned.
    c->tweaked = !checked;
}

void TweakCellsDialog::bitrateTyped(const std::string &text)
{
    Cell *c = cell();
    if (!c || !c->tweaked)
        return;
    const std::optional<int> value = readInteger(m_desktop, text);
    if (!value || *value == c->bitrate)
        return;
    m_segment->tweakCell(m_selectedCell, *value, slack());
    // The fields now show what the cell really got after the floor, the cap and the room check.
    m_sliderPosition = m_sliderRange.position(shownReduction(*c));
}

void TweakCellsDialog::sliderMoved(int position)
{
    m_sliderPosition = position;
    Cell *c = cell();
    // A cell without a loaded bitrate or reduction has no scale between the two.
    if (!c || !c->tweaked || c->loadedReduction == 0.0f || c->loadedBitrate == 0)
        return;
    const double reduction = m_sliderRange.reduction(position);
    const int bitrate =
        planning::detail::truncateToInt(double(c->loadedBitrate) * reduction / double(c->loadedReduction));
    const double reached = double(c->loadedReduction) * bitrate / double(c->loadedBitrate);
    // The slider reports every redraw; moves worth 4 kbit/s or less are noise.
    if (std::abs(reached - double(shownReduction(*c))) < 0.01 || std::abs(std::int64_t(bitrate) - c->bitrate) <= 4)
        return;
    m_segment->tweakCell(m_selectedCell, bitrate, slack());
}

void TweakCellsDialog::resetClicked()
{
    if (!m_segment)
        return;
    // Back to the average shown at opening, spread over the cells as loaded; all tweaks go.
    m_segment->setAverageBitrate(m_segmentAverage);
    if (cell())
        showCell();
}

void TweakCellsDialog::viewCellClicked()
{
    if (const Cell *c = cell())
        playScript(c->name, m_settings, m_settingsFolder, m_desktop);
}

void TweakCellsDialog::applyClicked()
{
    m_result = DialogResult::Ok;
}

void TweakCellsDialog::closeClicked()
{
    m_result = DialogResult::Cancel;
}
