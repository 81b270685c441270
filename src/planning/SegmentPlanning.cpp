#include "planning/Planning.h"
#include "planning/Truncate.h"

#include <cmath>
#include <cstdlib>

using planning::bitrateFloor;
using planning::detail::truncateToInt;

namespace {

// A cell's size when it sits at the floor: 500 kbit/s, or its own loaded bitrate when the
// source was already below that.
std::int64_t floorSize(const Cell &cell)
{
    return std::int64_t(cell.frames) * (cell.loadedBitrate >= bitrateFloor ? bitrateFloor : cell.loadedBitrate);
}

bool isFree(const Cell &cell)
{
    return cell.significant && !cell.tweaked;
}

void restoreLoadedBitrates(Segment &segment)
{
    for (Cell &cell : segment.cells) {
        cell.bitrate = cell.loadedBitrate;
        cell.tweaked = false;
    }
}

} // namespace

double Segment::sourceSize() const
{
    double sum = 0.0;
    for (const Cell &cell : cells) {
        // A cell without a loaded reduction has no known source size; counting it would
        // make the whole segment's figures infinite.
        if (cell.loadedReduction == 0.0f)
            continue;
        sum += double(cell.loadedBitrate) * double(cell.frames) * 100.0 / double(cell.loadedReduction);
    }
    return sum;
}

void Segment::setAverageBitrate(int value)
{
    const int loadedAverage = loadedAverageBitrate();
    if (std::abs(std::int64_t(value) - loadedAverage) < 2) {
        restoreLoadedBitrates(*this);
    } else {
        // Without a loaded average there is nothing to scale from; leave the segment as it is
        // rather than multiply by infinity.
        if (loadedAverage <= 0)
            return;
        const double factor = double(value) / double(loadedAverage);
        for (Cell &cell : cells) {
            if (!cell.significant)
                continue;
            // Always from the loaded bitrate, so repeated calls do not drift.
            cell.setBitrate(truncateToInt(double(cell.loadedBitrate) * factor));
            cell.tweaked = false;
        }
    }
    tweaked = false;
    replanned = true;
}

void Segment::setReductionPercent(double percent)
{
    if (!std::isfinite(percent))
        return;
    if (std::abs(percent - loadedReductionPercent()) < 0.02) {
        restoreLoadedBitrates(*this);
    } else {
        for (Cell &cell : cells) {
            if (!cell.significant)
                continue;
            // A cell without a loaded reduction cannot be given one; it keeps its bitrate.
            if (cell.loadedReduction != 0.0f)
                cell.setBitrate(truncateToInt(double(cell.loadedBitrate) * percent / double(cell.loadedReduction)));
            cell.tweaked = false;
        }
    }
    tweaked = false;
    replanned = true;
}

void Segment::tweakCell(int index, int bitrate, std::int64_t slack)
{
    if (index < 0 || index >= cellCount())
        return;
    Cell &target = cells[std::size_t(index)];
    // A request below the floor is ignored, not clamped: the user typed something the cell
    // cannot be planned at.
    if (bitrate < bitrateFloor && bitrate < target.loadedBitrate)
        return;
    target.tweaked = true;
    tweaked = true;

    // 64-bit sums: a long segment passes 2^31 frame-kbps units.
    std::int64_t loadedFree = 0;  // what the free cells were loaded with
    std::int64_t currentFree = 0; // what they hold now
    std::int64_t spare = slack;   // what they could give up, down to their floors
    bool anyFree = false;
    for (const Cell &cell : cells) {
        if (!isFree(cell))
            continue;
        anyFree = true;
        loadedFree += cell.loadedSize();
        currentFree += cell.size();
        if (cell.loadedBitrate > bitrateFloor)
            spare += std::int64_t(cell.bitrate - bitrateFloor) * cell.frames;
    }
    const std::int64_t room = slack + currentFree;
    const std::int64_t need = (std::int64_t(bitrate) - target.bitrate) * target.frames;

    if (need > spare) {
        // The free cells cannot pay in full: they all go to their floors and the tweaked cell
        // gets only what that frees.
        std::int64_t granted = target.bitrate;
        if (target.frames != 0)
            granted += spare / target.frames;
        bitrate = granted > bitrate ? bitrate : (granted < 0 ? 0 : int(granted));
        for (Cell &cell : cells)
            if (isFree(cell))
                cell.setBitrate(0);
    } else if (anyFree) {
        if (room <= 0) {
            // Nothing is left for the free cells at all: the floors are the best they can do.
            for (Cell &cell : cells)
                if (isFree(cell))
                    cell.setBitrate(0);
        } else if (loadedFree > 0) {
            const double factor =
                (double(room) - double(need)) / double(room) * (double(currentFree) / double(loadedFree));
            for (Cell &cell : cells)
                if (isFree(cell))
                    cell.setBitrate(truncateToInt(double(cell.loadedBitrate) * factor + 0.5));
        }
    }
    target.setBitrate(bitrate);
}

double Segment::minReductionPercent() const
{
    const double source = sourceSize();
    if (source <= 0.0)
        return 0.0;
    std::int64_t atFloor = 0;
    for (const Cell &cell : cells)
        atFloor += cell.significant ? floorSize(cell) : cell.loadedSize();
    return double(atFloor) * 100.0 / source;
}

double Segment::maxCellReduction(int index) const
{
    if (index < 0 || index >= cellCount())
        return 0.0;
    const Cell &target = cells[std::size_t(index)];
    if (target.frames == 0 || target.loadedBitrate == 0)
        return 0.0;
    std::int64_t fixed = 0;   // cells that keep their size whatever happens to this one
    std::int64_t floors = 0;  // the free cells at their floors
    for (int j = 0; j < cellCount(); ++j) {
        if (j == index)
            continue;
        const Cell &cell = cells[std::size_t(j)];
        if (cell.tweaked || !cell.significant)
            fixed += cell.size();
        else
            floors += floorSize(cell);
    }
    const double r = double(target.loadedReduction)
                     * (double(size() - fixed - floors) / double(target.frames) / double(target.loadedBitrate));
    return r >= 100.0 ? 100.0 : r;
}
