#include "planning/Planning.h"
#include "planning/Truncate.h"

#include <cmath>
#include <cstdlib>

using planning::detail::truncateToInt;
using planning::detail::truncateToLong;

bool Project::takesPartInAutosize(const Segment &segment, bool hideInsignificant) const
{
    if (!segment.autosized || segment.significantCells == 0)
        return false;
    // Without a target there is nothing to measure a segment against, so none is too small.
    if (!hideInsignificant || targetTotalSize <= 0)
        return true;
    return double(segment.size()) / double(targetTotalSize) > 0.0001;
}

void Project::distributeOnce(bool hideInsignificant)
{
    // A target of 0 is no project to aim at (nothing loaded, or nothing to size), not a
    // request to send every cell to its floor.
    if (targetTotalSize <= 0)
        return;
    double taking = 0.0;
    for (const Segment &segment : segments)
        if (takesPartInAutosize(segment, hideInsignificant))
            taking += double(segment.size());
    // Nothing to scale: no segment takes part, or those that do are empty.
    if (taking <= 0.0)
        return;
    const std::int64_t excess = currentTotalSize() - targetTotalSize;
    const double factor = (taking - double(excess)) / taking;
    for (Segment &segment : segments) {
        if (!takesPartInAutosize(segment, hideInsignificant))
            continue;
        // Rounded up here, truncated per cell: the two roughly cancel.
        segment.setAverageBitrate(truncateToInt(std::ceil(double(segment.averageBitrate()) * factor)));
    }
}

void Project::autosize(bool hideInsignificant)
{
    if (targetTotalSize <= 0)
        return; // and no division by it below
    for (int iteration = 0; iteration < planning::autosizeIterations; ++iteration) {
        const std::int64_t off = std::llabs(targetTotalSize - currentTotalSize());
        if (double(off) * 5000.0 / double(targetTotalSize) < 1.0)
            return; // within 0.02 % of the target
        const std::int64_t before = currentTotalSize();
        distributeOnce(hideInsignificant);
        const std::int64_t after = currentTotalSize();
        const std::int64_t moved = std::llabs(before - after);
        // Floors, caps and fixed segments leave no more room once an iteration moves the total
        // by less than 0.02 %. (From an empty total any movement at all is progress.)
        if (before > 0 ? double(moved) * 5000.0 / double(before) < 1.0 : moved == 0)
            return;
    }
}

void Project::setOutputSizePercent(double percent)
{
    if (!std::isfinite(percent))
        return;
    targetTotalSize = truncateToLong(double(initialTotalSize) * percent * 0.01);
}
