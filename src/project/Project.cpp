#include "project/Project.h"

#include "common/Format.h"

#include <algorithm>
#include <cmath>
#include <iterator>

double Cell::reduction() const
{
    if (loadedBitrate == 0)
        return 0.0;
    return double(bitrate) * double(loadedReduction) / double(loadedBitrate);
}

void Cell::setBitrate(int value)
{
    // A cell is never planned below 500 kbit/s unless its source is already lower.
    if (value <= 500 && value < loadedBitrate)
        value = loadedBitrate >= 500 ? 500 : loadedBitrate;
    bitrate = value;
    if (reduction() > 100.0 && loadedReduction > 0.0f)
        bitrate = int(std::min(double(loadedBitrate) * 100.0 / double(loadedReduction), double(maxCellBitrate)));
    // A source size the cap does not bound (a tiny or missing reduction) must still give a
    // bitrate the next load accepts.
    bitrate = std::min(bitrate, maxCellBitrate);
}

double Cell::minReduction() const
{
    if (loadedBitrate < 500)
        return double(loadedReduction);
    return double(loadedReduction) * 500.0 / double(loadedBitrate);
}

std::int64_t Cell::sizeSectors() const
{
    if (fps <= 0.0)
        return 0;
    return std::int64_t(double(size()) / (fps * 16.384));
}

Cell &Segment::addCell(int cellVts, int subId, int vobId, int cellId, int bitrate, int frames, double fps)
{
    Cell cell;
    cell.vts = cellVts;
    cell.subId = subId;
    cell.vobId = vobId;
    cell.cellId = cellId;
    cell.bitrate = bitrate;
    cell.loadedBitrate = bitrate;
    cell.frames = frames;
    cell.fps = fps;
    cells.push_back(std::move(cell));
    totalFrames += frames;
    vts = cellVts;
    return cells.back();
}

std::int64_t Segment::size() const
{
    std::int64_t sum = 0;
    for (const Cell &cell : cells)
        sum += cell.size();
    return sum;
}

std::int64_t Segment::loadedSize() const
{
    std::int64_t sum = 0;
    for (const Cell &cell : cells)
        sum += cell.loadedSize();
    return sum;
}

std::int64_t Segment::frameSum() const
{
    std::int64_t sum = 0;
    for (const Cell &cell : cells)
        sum += cell.frames;
    return sum;
}

std::int64_t Segment::sizeSectors() const
{
    std::int64_t sum = 0;
    for (const Cell &cell : cells)
        sum += cell.sizeSectors();
    return sum;
}

int Segment::averageBitrate() const
{
    if (totalFrames == 0)
        return 0;
    return int(size() / totalFrames);
}

int Segment::loadedAverageBitrate() const
{
    const std::int64_t frames = frameSum();
    if (frames == 0)
        return 0;
    return int(loadedSize() / frames);
}

double Segment::reductionPercent() const
{
    const double source = sourceSize();
    if (source == 0.0)
        return 0.0;
    return double(size()) * 100.0 / source;
}

double Segment::loadedReductionPercent() const
{
    const double source = sourceSize();
    if (source == 0.0)
        return 0.0;
    return double(loadedSize()) * 100.0 / source;
}

std::string Segment::durationText() const
{
    double seconds = 0.0;
    for (const Cell &cell : cells) {
        if (cell.fps > 0.0)
            seconds += double(cell.frames) / cell.fps;
    }
    if (!std::isfinite(seconds) || seconds < 0.0)
        seconds = 0.0;
    const long long minutes = (long long)std::floor(seconds / 60.0);
    return cformat("%2.2lld:%2.2lld.%2.2lld", minutes / 60, minutes % 60,
                   (long long)(seconds - 60.0 * double(minutes)));
}

std::string Project::eclPath() const
{
    if (infPath.size() < 3)
        return "ECL";
    return infPath.substr(0, infPath.size() - 3) + "ECL";
}

bool Project::needsPrediction() const
{
    for (const Segment &segment : segments) {
        if (segment.replanned && !segment.vbrMode)
            return true;
    }
    return false;
}

std::int64_t Project::currentTotalSize() const
{
    std::int64_t sum = 0;
    for (const Segment &segment : segments)
        sum += segment.size();
    return sum;
}

std::int64_t Project::totalSizeSectors() const
{
    std::int64_t sum = 0;
    for (const Segment &segment : segments)
        sum += segment.sizeSectors();
    return sum;
}

void Project::resetBitrates()
{
    for (Segment &segment : segments) {
        for (Cell &cell : segment.cells) {
            cell.bitrate = cell.loadedBitrate;
            cell.tweaked = false;
        }
        segment.tweaked = false;
    }
}

void Project::mergeSegments(int targetIndex, int sourceIndex)
{
    if (targetIndex == sourceIndex || targetIndex < 0 || sourceIndex < 0 || targetIndex > lastSegmentIndex()
        || sourceIndex > lastSegmentIndex())
        return;
    Segment &target = segment(targetIndex);
    Segment &source = segment(sourceIndex);
    target.cells.insert(target.cells.end(), std::make_move_iterator(source.cells.begin()),
                        std::make_move_iterator(source.cells.end()));
    target.totalFrames += source.totalFrames;
    // A count: the merged segment has the significant cells of both.
    target.significantCells += source.significantCells;
    target.tweaked = target.tweaked || source.tweaked;
    if (!target.vbrMode && source.vbrMode) {
        target.vbrMode = true;
        target.settings.videoType = source.settings.videoType;
    }
    if (target.settings.progressive != source.settings.progressive)
        target.settings.progressive = -1;
    if (target.settings.alternateScan != source.settings.alternateScan)
        target.settings.alternateScan = -1;
    segments.erase(segments.begin() + sourceIndex);
}

void Project::clear()
{
    segments.clear();
    targetTotalSize = 0;
    initialTotalSize = 0;
    sourceSize = 0;
    excludedAudioSubSize = 0;
    vtsSizeSum = 0;
    overheadSize = 0;
    decimalComma = false;
    scriptsModified = false;
}
