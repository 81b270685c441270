#include "support/ProjectBuilder.h"

ProjectBuilder &ProjectBuilder::segment(int vts)
{
    m_project.segments.emplace_back();
    m_project.segments.back().vts = vts;
    ++m_nextVobId;
    return *this;
}

ProjectBuilder &ProjectBuilder::cell(int frames, int loadedBitrate, float loadedReduction, double fps)
{
    if (m_project.segments.empty())
        segment();
    Segment &seg = m_project.segments.back();
    Cell &c = seg.addCell(seg.vts, 1, m_nextVobId, seg.cellCount() + 1, loadedBitrate, frames, fps);
    c.loadedReduction = loadedReduction;
    c.significant = frames > 10;
    if (c.significant)
        ++seg.significantCells;
    return *this;
}

ProjectBuilder &ProjectBuilder::overhead(std::int64_t sectors)
{
    m_project.overheadSize = sectors;
    return *this;
}

Project ProjectBuilder::build() const
{
    Project project = m_project;
    project.initialTotalSize = project.targetTotalSize = project.currentTotalSize();
    return project;
}

Segment ProjectBuilder::buildSegment() const
{
    return m_project.segments.empty() ? Segment() : m_project.segments.front();
}

std::vector<int> bitrates(const Segment &segment)
{
    std::vector<int> result;
    for (const Cell &cell : segment.cells)
        result.push_back(cell.bitrate);
    return result;
}

std::vector<int> bitrates(const Project &project)
{
    std::vector<int> result;
    for (const Segment &segment : project.segments) {
        const std::vector<int> cells = bitrates(segment);
        result.insert(result.end(), cells.begin(), cells.end());
    }
    return result;
}

Layout layout(const Project &project)
{
    Layout result;
    for (const Segment &segment : project.segments) {
        result.emplace_back();
        for (const Cell &cell : segment.cells)
            result.back().push_back(cell.vobId);
    }
    return result;
}

EncoderSettings typicalSettings()
{
    EncoderSettings s;
    s.vbrPasses = 3, s.intraDcPrecision = 1, s.gopHeader = 15, s.quality = 30, s.vbrBias = 40, s.qmatIndex = 0;
    s.useFilter = 0, s.filterValue = 10, s.dither = 0, s.ditherMax = 20, s.ditherCMax = 10;
    s.hFilter = 0, s.hFilterIndex = 6, s.filterOff = 1, s.pictType = 0, s.pictComplexity = 2;
    s.minBitrate = 2000, s.maxBitrate = 8000, s.alternateScan = 0, s.progressive = 0, s.adjustQMatrix = 0, s.noMove = 0;
    return s;
}
