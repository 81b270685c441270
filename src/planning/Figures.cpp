#include "planning/Planning.h"
#include "planning/Truncate.h"

#include <algorithm>
#include <cmath>

namespace planning {

using detail::truncateToInt;
using detail::truncateToLong;

int SliderRange::position(double reduction) const
{
    const double width = sliderMax - sliderMin;
    if (!(width > 0.0) || !std::isfinite(width) || std::isnan(reduction))
        return 0;
    // A trackbar keeps its thumb inside its range whatever it is given; so do we.
    return std::clamp(truncateToInt((reduction - sliderMin) * sliderPositions / width), 0, sliderPositions);
}

double SliderRange::reduction(int position) const
{
    return sliderMin + position * 0.0001 * (sliderMax - sliderMin);
}

SliderRange segmentSliderRange(const Segment &segment)
{
    return {std::floor(segment.minReductionPercent()), 100.0};
}

SliderRange cellSliderRange(const Segment &segment, int cellIndex)
{
    if (cellIndex < 0 || cellIndex >= segment.cellCount())
        return {0.0, 0.0};
    return {segment.cells[std::size_t(cellIndex)].minReduction(), segment.maxCellReduction(cellIndex)};
}

float totalVideoSizePercent(const Project &project)
{
    if (project.initialTotalSize <= 0)
        return 0.0f;
    return float(double(project.currentTotalSize()) / double(project.initialTotalSize) * 100.0);
}

float videoSizePercent(const Project &project, const Segment &segment)
{
    if (project.targetTotalSize <= 0)
        return 0.0f;
    const float percent = float(double(segment.size()) / double(project.targetTotalSize) * 100.0);
    return percent < 0.01 ? 0.0f : percent;
}

double outputSizePercent(const Project &project)
{
    if (project.initialTotalSize <= 0)
        return 0.0;
    return double(project.targetTotalSize) / double(project.initialTotalSize) * 100.0;
}

std::int64_t estimatedSectors(const Project &project)
{
    return project.totalSizeSectors() + project.overheadSize;
}

std::int64_t estimatedMegabytes(const Project &project)
{
    return truncateToLong(double(2 * estimatedSectors(project)) * 0.0009892578125);
}

namespace {

// The projection scales today's sectors back to the loaded size, then to the asked percent.
// Without a target there is no scale, and the figure is 0.
bool projectedDiscSize(const Project &project, double percent, double &sectors)
{
    if (project.targetTotalSize <= 0)
        return false;
    const double ratio = double(project.initialTotalSize) / double(project.targetTotalSize);
    sectors = ratio * double(project.totalSizeSectors()) * percent * 0.01 + double(project.overheadSize);
    return true;
}

} // namespace

std::int64_t projectedSectors(const Project &project, double percent)
{
    double sectors = 0.0;
    return projectedDiscSize(project, percent, sectors) ? truncateToLong(sectors) : 0;
}

std::int64_t projectedMegabytes(const Project &project, double percent)
{
    double sectors = 0.0;
    return projectedDiscSize(project, percent, sectors) ? truncateToLong(sectors * 0.001978515625) : 0;
}

bool isListed(const Project &project, const Segment &segment, bool hideInsignificant)
{
    // Without a target nothing can be called insignificant.
    if (!hideInsignificant || project.targetTotalSize <= 0)
        return true;
    return double(segment.size()) / double(project.targetTotalSize) * 100.0 > 0.1;
}

bool isSmallSegment(const Segment &segment)
{
    return segment.frameSum() <= smallSegmentFrames;
}

} // namespace planning
