#include "project/Project.h"

#include "common/Format.h"
#include "common/TextFile.h"
#include "planning/Planning.h"
#include "planning/Truncate.h"

#include <cctype>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iterator>

using planning::bitrateFloor;
using planning::detail::truncateToInt;
using planning::detail::truncateToLong;

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
    const std::string beside = infPath.substr(0, infPath.size() - 3) + "ECL";
    if (isReadableFile(beside))
        return beside;
    // DVD-Rebuilder runs on Windows, where "rebuilder.ecl" is the same file as "Rebuilder.ECL";
    // a copy of its folder on another system keeps whichever spelling it had.
    const std::size_t slash = beside.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? std::string() : beside.substr(0, slash + 1);
    const std::string name = beside.substr(folder.size());
    auto lower = [](std::string text) {
        for (char &c : text)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    std::string found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(toFsPath(folder.empty() ? "." : folder), error), end;
         !error && it != end; it.increment(error)) {
        const std::string candidate = fromFsPath(it->path().filename());
        if (lower(candidate) == lower(name) && (found.empty() || candidate < found))
            found = candidate;
    }
    return found.empty() ? beside : folder + found;
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

// ---- Planning: spreading a bitrate or reduction over a segment's cells ------------------------

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

// ---- Planning over the whole project --------------------------------------------------------

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
