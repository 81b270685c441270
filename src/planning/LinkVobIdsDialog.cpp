#include "planning/LinkVobIdsDialog.h"

#include "common/Format.h"
#include "planning/Linking.h"
#include "platform/Desktop.h"
#include "scripts/Preview.h"

#include <algorithm>

namespace {

int firstVobId(const Segment &segment)
{
    return segment.cells.empty() ? 0 : segment.cells.front().vobId;
}

// The window's texts, in one place until every window takes them from a shared one.
std::string segmentRow(const Project &project, int index)
{
    const Segment &segment = project.segment(index);
    if (project.lastSegmentIndex() >= 999)
        return cformat("VTS %2d - Vob-ID %4d", segment.vts, firstVobId(segment));
    return cformat("VTS %2d - Vob-ID %3d", segment.vts, firstVobId(segment));
}

// "VobID" without the hyphen of the rows, and wider from 100 segments on.
std::string segmentLabel(const Project &project, int vts, int vobId)
{
    if (project.lastSegmentIndex() >= 99)
        return cformat("VTS %2d - VobID %4d", vts, vobId);
    return cformat("VTS %2d - VobID %2d", vts, vobId);
}

} // namespace

LinkVobIdsDialog::LinkVobIdsDialog(Project &project, int currentSegment, bool hideInsignificant, Desktop &desktop,
                                   AppSettings &settings, std::string settingsFolder)
    : m_project(project), m_desktop(desktop), m_settings(settings), m_settingsFolder(std::move(settingsFolder)),
      m_currentSegment(currentSegment), m_hideInsignificant(hideInsignificant)
{
    if (!buildList()) {
        m_desktop.showMessage(onlyVobIdMessage, Desktop::Icon::Error);
        m_result = DialogResult::Cancel;
    }
}

bool LinkVobIdsDialog::buildList()
{
    m_rowMap = planning::linkableSegments(m_project, m_currentSegment, m_hideInsignificant);
    m_selectedRows.clear();
    m_focusRow = rowOf(m_currentSegment);
    if (m_focusRow >= 0)
        m_selectedRows.push_back(m_focusRow);
    if (m_rowMap.size() < 2) {
        m_focusedSegment = -1;
        return false;
    }
    // The current segment is always listed when the main window opens the dialog; should it
    // not be, the properties show the first row rather than a row that does not exist.
    focus(m_focusRow >= 0 ? m_focusRow : 0);
    return true;
}

void LinkVobIdsDialog::focus(int row)
{
    m_focusRow = row;
    m_focusedSegment = m_rowMap[std::size_t(row)];
}

int LinkVobIdsDialog::rowOf(int segmentIndex) const
{
    const auto found = std::find(m_rowMap.begin(), m_rowMap.end(), segmentIndex);
    return found == m_rowMap.end() ? -1 : int(found - m_rowMap.begin());
}

ControlTable LinkVobIdsDialog::controls() const
{
    ControlTable table;
    std::vector<std::string> rows;
    for (int index : m_rowMap)
        rows.push_back(segmentRow(m_project, index));
    table.add(SegmentList, multiList(std::move(rows), m_selectedRows).select(m_focusRow));

    const Segment *focused = m_focusedSegment >= 0 ? &m_project.segment(m_focusedSegment) : nullptr;
    std::string label;
    if (focused)
        label = segmentLabel(m_project, m_project.segment(m_currentSegment).vts, firstVobId(*focused));
    table.add(SegmentEdit, readOnlyEdit(label));
    table.add(DurationEdit, readOnlyEdit(focused ? focused->durationText() : std::string()));
    table.add(BitrateEdit, readOnlyEdit(focused ? std::to_string(focused->averageBitrate()) : std::string()));
    table.add(ReductionEdit, readOnlyEdit(focused ? formatGeneral(focused->reductionPercent(), 15) : std::string()));
    table.add(ViewFirstCellButton, button("View first cell").enable(focused && !focused->cells.empty()));
    table.add(LinkAllButton, button("Link all in this VTS"));
    table.add(HideBox, checkBox("Hide Vob-ID of insignificant size", m_hideInsignificant));
    table.add(LinkSelectedButton, button("Link selected"));
    table.add(CancelButton, button("Cancel"));
    return table;
}

void LinkVobIdsDialog::selectionChanged(std::vector<int> selectedRows, int caretRow)
{
    if (m_result != DialogResult::Open)
        return;
    const int rowCount = int(m_rowMap.size());
    std::erase_if(selectedRows, [rowCount](int row) { return row < 0 || row >= rowCount; });
    std::sort(selectedRows.begin(), selectedRows.end());
    selectedRows.erase(std::unique(selectedRows.begin(), selectedRows.end()), selectedRows.end());
    m_selectedRows = std::move(selectedRows);
    // Selecting links nothing by itself; the caret row decides what the properties show.
    if (caretRow >= 0 && caretRow < rowCount)
        focus(caretRow);
}

void LinkVobIdsDialog::hideClicked(bool checked)
{
    if (m_result != DialogResult::Open)
        return;
    m_hideInsignificant = checked;
    // Hiding that would leave nothing to link is turned off again.
    if (!buildList()) {
        m_hideInsignificant = false;
        buildList();
    }
    if (!m_rowMap.empty())
        focus(0);
}

void LinkVobIdsDialog::viewFirstCellClicked()
{
    if (m_result != DialogResult::Open || m_focusedSegment < 0)
        return;
    const Segment &segment = m_project.segment(m_focusedSegment);
    if (!segment.cells.empty())
        playScript(segment.cells.front().name, m_settings, m_settingsFolder, m_desktop);
}

void LinkVobIdsDialog::linkSelectedClicked()
{
    if (m_result != DialogResult::Open)
        return;
    // One selected row or none closes the window all the same, changing nothing.
    if (m_selectedRows.size() > 1) {
        std::vector<int> segments;
        for (int row : m_selectedRows)
            segments.push_back(m_rowMap[std::size_t(row)]);
        planning::linkSegments(m_project, segments);
    }
    close(DialogResult::Ok);
}

void LinkVobIdsDialog::linkAllClicked()
{
    if (m_result != DialogResult::Open)
        return;
    planning::linkAllInTitleSet(m_project, planning::linkTitleSet(m_project.segment(m_currentSegment)),
                                m_hideInsignificant);
    close(DialogResult::Ok);
}

void LinkVobIdsDialog::cancelClicked()
{
    if (m_result == DialogResult::Open)
        close(DialogResult::Cancel);
}

void LinkVobIdsDialog::close(DialogResult result)
{
    m_result = result;
    // After a link the rows would name segments that have moved.
    m_rowMap.clear();
    m_selectedRows.clear();
    m_focusRow = m_focusedSegment = -1;
}
