#include "planning/Labels.h"

#include "common/Format.h"
#include "planning/Planning.h"

namespace labels {

int firstVobId(const Segment &segment)
{
    return segment.cells.empty() ? 0 : segment.cells.front().vobId;
}

std::string segmentRow(const Project &project, int segmentIndex)
{
    const Segment &segment = project.segment(segmentIndex);
    // The width follows the number of segments, not the Vob-ID, so a long list stays aligned.
    if (project.lastSegmentIndex() >= 999)
        return cformat("VTS %2d - Vob-ID %4d", segment.vts, firstVobId(segment));
    return cformat("VTS %2d - Vob-ID %3d", segment.vts, firstVobId(segment));
}

std::string predictedSegmentRow(const Segment &segment)
{
    return cformat("VTS %2d - Vob-ID %3d", segment.vts, firstVobId(segment));
}

std::string tweakCellsSegmentLabel(const Segment &segment)
{
    return cformat("VTS %2d - Vob-ID %4d", segment.vts, firstVobId(segment));
}

std::string cellRow(const Cell &cell)
{
    return cformat("Vob-ID %3d   Cell %4d", cell.vobId, cell.subId);
}

std::string vobIdLabel(const Project &project, int vts, int vobId)
{
    if (project.lastSegmentIndex() >= 99)
        return cformat("VTS %2d - VobID %4d", vts, vobId);
    return cformat("VTS %2d - VobID %2d", vts, vobId);
}

std::string vobIdLabel(const Project &project, const Segment &segment)
{
    return vobIdLabel(project, segment.vts, firstVobId(segment));
}

std::string segmentName(const Segment &segment)
{
    return cformat("VTS %d - VobID %d", segment.vts, firstVobId(segment));
}

std::string numberRow(int number)
{
    return cformat("%2d", number);
}

std::string estimateStatusText(const Project &project)
{
    if (project.overheadSize == 0)
        return {};
    return cformat("DVD Estimated Size: %lld MB  -   RB TargetSectors %lld",
                   (long long)planning::estimatedMegabytes(project), (long long)planning::estimatedSectors(project));
}

std::string projectedSizeText(const Project &project, double percent)
{
    return cformat("DVD Estimated Size %lld MB", (long long)planning::projectedMegabytes(project, percent));
}

std::string projectedSectorsText(const Project &project, double percent)
{
    return cformat("TargetSectors %lld", (long long)planning::projectedSectors(project, percent));
}

std::string floatText(float value)
{
    return formatGeneral(double(value), 6);
}

std::string doubleText(double value)
{
    return formatGeneral(value, 15);
}

} // namespace labels
