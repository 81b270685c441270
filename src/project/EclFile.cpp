#include "project/CellIndex.h"
#include "project/EclKeys.h"
#include "project/EclSettingLines.h"
#include "project/ProjectFiles.h"

#include "common/Convert.h"
#include "common/Format.h"
#include "common/TextFile.h"
#include "encoder/EncoderKinds.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

using Key = EclKey;
using KeyedLine = EclKeyedLine;

// The keys the program manages in an item; those of a prediction's sample list are copied as
// any other line.
KeyedLine classify(std::string_view line)
{
    const KeyedLine keyed = classifyEclLine(line);
    return keyed.key == Key::Title || isProjectKey(keyed.key) ? keyed : KeyedLine{};
}

std::string_view keyText(Key key)
{
    return eclKeyText(key);
}

bool isTitle(std::string_view line)
{
    return startsWith(line, "title=V");
}

// Values combined from the file's numbers ("filter_on=" turned around, the two filter indices)
// are worked out in 64 bits and kept within int: the file may hold any number, and int
// arithmetic on it could overflow.
int clampedInt(std::int64_t value)
{
    return int(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Folds one item's "alternate_scan=" or "progressive=" into the segment's value: the first
// cell sets it, a later cell that disagrees makes it -1.
void foldAgreement(int &field, int value, int cellIndex)
{
    if (cellIndex == 0)
        field = value;
    else if (value != field)
        field = -1;
}

void applyManagedKey(Project &project, Segment &segment, Cell &cell, int cellIndex, std::string_view line,
                     KeyedLine keyed, LineReader &in)
{
    EncoderSettings &s = segment.settings;
    const int v = leadingInt(line.substr(keyed.valueAt));
    switch (keyed.key) {
    case Key::VbrBrateAvg: cell.bitrate = cell.loadedBitrate = v; break;
    case Key::GopHdr: s.gopHeader = v; break;
    case Key::IntraDcPrec: s.intraDcPrecision = v; break;
    case Key::IntraDc9Max: s.intraDcPrecision = v == 113 ? 1 : 0; break;
    case Key::IntraDc10Max:
        // One step above what the 9-bit line said, never beyond 10 bits: a list that also carries
        // "intra_dc_prec=" must not climb by one at every save.
        if (v == 113)
            s.intraDcPrecision = std::min(s.intraDcPrecision, 1) + 1;
        break;
    case Key::VbrPass: s.vbrPasses = v; break;
    case Key::Name: cell.name = std::string(line.substr(keyed.valueAt)); break;
    case Key::QualityPrec: s.quality = v; break;
    case Key::QCharF:
        s.quality = v;
        // CCE SP 1.x with the newer quality key: its mode codes differ (see "video_type=").
        project.cceType = cceTypeAfterQCharF(project.cceType);
        break;
    case Key::PictQchar: s.quality = v; break;
    case Key::VbrBias: s.vbrBias = v; break;
    case Key::VbrBrateMin: s.minBitrate = std::min(s.minBitrate, v); break;
    case Key::VbrBrateMax: s.maxBitrate = std::max(s.maxBitrate, v); break;
    case Key::OpvQFactor: s.opvQFactor = v; break;
    case Key::VideoType:
        s.videoType = v;
        segment.vbrMode = videoTypeMeansVbr(project.cceType, v);
        break;
    case Key::Vmode:
        s.videoType = v;
        segment.vbrMode = vmodeMeansVbr(v);
        break;
    case Key::PictType: s.pictType = v; break;
    case Key::FilterOff: s.filterOff = v; break;
    case Key::FilterOn: s.filterOff = clampedInt(1 - std::int64_t(v)); break;
    case Key::PictComplexity: s.pictComplexity = v; break;
    case Key::QmatIdx: s.qmatIndex = v; break;
    case Key::Qmat: {
        std::string matrixLine;
        for (int i = 0; i < eclQmatLineCount; ++i) {
            if (!in.next(matrixLine))
                break;
            if (isTitle(matrixLine)) {
                // A short matrix block: the next item starts here.
                in.unread(matrixLine);
                break;
            }
            s.qmatLines[std::size_t(i)] = matrixLine;
        }
        break;
    }
    case Key::UseFilter:
    case Key::VFilter: s.useFilter = v; break;
    case Key::FilterVal:
    case Key::VFilterVal: s.filterValue = v; break;
    case Key::Dither: s.dither = v; break;
    case Key::DitherMax:
        // CCE 2.70 keeps luma and chroma apart in their own keys.
        if (!cceKind(project.cceType).ditherPerPlane)
            s.ditherMax = v;
        break;
    case Key::DitherYMax: s.ditherMax = v; break;
    case Key::DitherCMax: s.ditherCMax = v; break;
    case Key::HFilter: s.hFilter = v; break;
    case Key::HFilterIdx: s.hFilterIndex = v; break;
    case Key::HFilterIdx2: s.hFilterIndex = clampedInt(std::int64_t(s.hFilterIndex) * 4 + v); break;
    case Key::AlternateScan: foldAgreement(s.alternateScan, v, cellIndex); break;
    case Key::AdjustQMatrix: s.adjustQMatrix = v; break;
    case Key::NoMove: s.noMove = v; break;
    case Key::Progressive: foldAgreement(s.progressive, v, cellIndex); break;
    case Key::None:
    case Key::Title:
    case Key::GopNm:
    case Key::OpvBrateMin:
    default: // the sample list's own keys, which classify() leaves out
    case Key::OpvBrateMax: break;
    }
}

// The per-segment values that are gathered over the segment's items start afresh.
void startItemAccumulators(Segment &segment)
{
    EncoderSettings &s = segment.settings;
    s.vbrPasses = 0;
    s.useFilter = -1;
    s.dither = -1;
    s.hFilter = -1;
    s.quality = -1;
    s.pictType = -1;
    s.filterOff = -1;
    s.vbrBias = -1;
    s.minBitrate = 9001;
    s.maxBitrate = 0;
    segment.significantCells = 0;
}

std::string describe(const CellKey &key)
{
    return cformat("VTS %d, Vob-ID %d, cell %d", key.vts, key.vobId, key.cellId);
}

// The managed keys an item carries, one bit each. A list cut off while being copied ends in
// an item that lacks keys every other item has; saving it back would keep the damage.
class ItemKeys {
public:
    void startItem()
    {
        if (m_items > 0)
            m_common &= m_current;
        m_current = 0;
        ++m_items;
    }
    void add(Key key)
    {
        // Only items of segments with a custom matrix carry "qmat=".
        if (key != Key::Qmat)
            m_current |= std::uint64_t(1) << unsigned(key);
    }
    // The keys every earlier item has and the last one lacks, as "key=, key=".
    std::string missingInLast() const
    {
        if (m_items < 2)
            return {};
        const std::uint64_t missing = m_common & ~m_current;
        std::string list;
        for (int key = int(Key::Title) + 1; key <= int(Key::Progressive); ++key) {
            if (missing & (std::uint64_t(1) << unsigned(key)))
                list += (list.empty() ? "" : ", ") + std::string(keyText(Key(key)));
        }
        return list;
    }

private:
    std::uint64_t m_common = ~std::uint64_t(0);
    std::uint64_t m_current = 0;
    int m_items = 0;
};
static_assert(int(Key::Progressive) < 64);

} // namespace

bool readEcl(Project &project, const std::string &path, ReadError &error)
{
    error.detail.clear();
    LineReader in;
    if (!in.open(path)) {
        error.detail = in.error().text();
        return false;
    }

    Segment *segment = nullptr;
    Cell *cell = nullptr;
    int segmentIndex = -1;
    int cellIndex = 0;
    ItemKeys itemKeys;

    // The INF and the ECL are matched by order; when they disagree the two files describe
    // different projects, and saving would damage both.
    auto finishSegment = [&]() -> bool {
        if (!segment)
            return true;
        if (cellIndex + 1 != segment->cellCount()) {
            error.detail = cformat("Line %lld: Rebuilder.INF has %d cells for VTS %d, Vob-ID %d, the list %d items.",
                                   in.lineNumber(), segment->cellCount(), segment->vts, segment->cells[0].vobId,
                                   cellIndex + 1);
            return false;
        }
        for (const Cell &c : segment->cells)
            segment->significantCells += c.significant ? 1 : 0;
        return true;
    };

    std::string line;
    while (in.next(line)) {
        const KeyedLine keyed = classify(line);
        if (keyed.key == Key::Title) {
            const CellKey key = parseItemTitle(line);
            itemKeys.startItem();
            if (segment && key.vts == segment->vts && key.vobId == segment->cells[0].vobId) {
                ++cellIndex;
                if (cellIndex >= segment->cellCount()) {
                    error.detail = cformat("Line %lld: the item for %s has no cell in Rebuilder.INF.",
                                           in.lineNumber(), describe(key).c_str());
                    return false;
                }
            } else {
                if (!finishSegment())
                    return false;
                ++segmentIndex;
                if (segmentIndex > project.lastSegmentIndex()) {
                    error.detail = cformat("Line %lld: the item for %s has no Vob-ID in Rebuilder.INF.",
                                           in.lineNumber(), describe(key).c_str());
                    return false;
                }
                segment = &project.segment(segmentIndex);
                cellIndex = 0;
                startItemAccumulators(*segment);
            }
            cell = &segment->cells[std::size_t(cellIndex)];
            if (!key.matches(*cell)) {
                error.detail = cformat("Line %lld: the item for %s stands where Rebuilder.INF has %s.",
                                       in.lineNumber(), describe(key).c_str(), describe(CellKey::of(*cell)).c_str());
                return false;
            }
            continue;
        }
        // Settings before the first item belong to no cell.
        if (!segment || keyed.key == Key::None)
            continue;
        itemKeys.add(keyed.key);
        applyManagedKey(project, *segment, *cell, cellIndex, line, keyed, in);
        if (cell->loadedBitrate < 0 || cell->loadedBitrate > maxCellBitrate) {
            error.detail = cformat("Line %lld: the bitrate %d is not possible.", in.lineNumber(), cell->loadedBitrate);
            return false;
        }
    }
    if (in.failed()) {
        error.detail = cformat("The file could not be read after line %lld: %s.", in.lineNumber(),
                               in.error().reason.c_str());
        return false;
    }
    if (!finishSegment())
        return false;
    if (const std::string missing = itemKeys.missingInLast(); !missing.empty()) {
        error.detail = cformat("The list ends in the item for %s, which lacks %s that every other item has: "
                               "the file looks cut short.",
                               describe(CellKey::of(*cell)).c_str(), missing.c_str());
        return false;
    }
    if (segmentIndex != project.lastSegmentIndex()) {
        const Segment &missing = project.segment(segmentIndex + 1);
        error.detail = cformat("The list ends without items for VTS %d, Vob-ID %d.", missing.vts, missing.cells[0].vobId);
        return false;
    }
    return true;
}

WriteResult writeEcl(const Project &project, const std::string &source, const std::string &target)
{
    return writeProjectFile(writeEcl, project, source, target);
}

WriteResult writeEcl(const Project &project, const std::string &source, LineWriter &out, FileError &error)
{
    LineReader in;
    if (!in.open(source)) {
        error = in.error();
        return WriteResult::SourceUnreadable;
    }

    const CellIndex index(project);
    const CceKind &kind = cceKind(project.cceType);
    const Segment *segment = nullptr;
    const Cell *cell = nullptr;

    // Skips up to `count` lines that belong to the item being written (never the next title).
    auto dropLines = [&in](int count) {
        std::string dropped;
        for (int i = 0; i < count && in.next(dropped); ++i) {
            if (isTitle(dropped)) {
                in.unread(dropped);
                break;
            }
        }
    };
    auto write = [&out](Key key, int value) {
        const std::string_view text = keyText(key);
        out.writeLine(cformat("%.*s%d", int(text.size()), text.data(), value));
    };

    std::string line;
    while (in.next(line)) {
        const Key key = classify(line).key;
        if (key == Key::Title) {
            out.writeLine(line);
            // An item the project does not know is copied as it stands.
            const CellIndex::Entry entry = index.find(parseItemTitle(line));
            segment = entry.segment;
            cell = entry.cell;
            continue;
        }
        if (!segment) {
            out.writeLine(line);
            continue;
        }
        const EncoderSettings &s = segment->settings;
        const int taken = writeSettingLines(key, line, s, kind, [&out](const std::string &text) { out.writeLine(text); });
        if (taken >= 0) {
            dropLines(taken);
            continue;
        }
        switch (key) {
        case Key::VbrBrateAvg: write(key, cell->bitrate); break;
        case Key::IntraDcPrec:
            if (kind.dcPrecisionAsMaxPair) {
                write(Key::IntraDc9Max, s.intraDcPrecision > 0 ? 113 : 1);
                write(Key::IntraDc10Max, s.intraDcPrecision > 1 ? 113 : 1);
            } else {
                write(key, s.intraDcPrecision);
            }
            break;
        case Key::VbrPass: write(key, s.vbrPasses); break;
        case Key::PictQchar: write(key, s.quality); break;
        case Key::VbrBrateMin: write(key, s.minBitrate); break;
        case Key::VbrBrateMax: write(key, s.maxBitrate); break;
        case Key::OpvQFactor: write(key, s.opvQFactor); break;
        case Key::VideoType:
        case Key::Vmode:
            // Cells of 10 frames or fewer keep their mode line.
            if (cell->significant)
                write(key, s.videoType);
            else
                out.writeLine(line);
            break;
        case Key::PictType: write(key, s.pictType); break;
        case Key::FilterOff: write(key, s.filterOff); break;
        case Key::FilterOn: write(key, clampedInt(1 - std::int64_t(s.filterOff))); break;
        case Key::PictComplexity: write(key, s.pictComplexity); break;
        default: out.writeLine(line); break; // the title, the script, and what the program leaves alone
        }
    }
    if (in.failed()) {
        error = in.error();
        return WriteResult::WriteFailed;
    }
    if (out.failed()) {
        error = out.error();
        return WriteResult::WriteFailed;
    }
    return WriteResult::Ok;
}
