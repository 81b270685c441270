#include "project/CellIndex.h"
#include "project/ProjectFiles.h"

#include "common/Convert.h"
#include "common/Format.h"
#include "common/TextFile.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

constexpr std::string_view titleKey = "title=V";
constexpr int qmatLineCount = 16;
// DVD video stays below 10 Mbit/s; a bitrate beyond this is a damaged file, and accepting it
// would let the frame x bitrate sums overflow.
constexpr int maxBitrate = 1'000'000;

int valueAfter(std::string_view line, std::string_view key)
{
    return leadingInt(line.substr(key.size()));
}

// Values combined from the file's numbers ("filter_on=" turned around, the two filter indices)
// are worked out in 64 bits and kept within int: the file may hold any number, and int
// arithmetic on it could overflow.
int clampedInt(std::int64_t value)
{
    return int(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::string keyValue(std::string_view key, int value)
{
    return cformat("%.*s%d", int(key.size()), key.data(), value);
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
                     LineReader &in)
{
    EncoderSettings &s = segment.settings;
    auto is = [line](std::string_view key) { return startsWith(line, key); };
    auto value = [line](std::string_view key) { return valueAfter(line, key); };

    if (is("vbr_brate_avg=")) {
        cell.bitrate = cell.loadedBitrate = value("vbr_brate_avg=");
    } else if (is("gop_hdr=")) {
        s.gopHeader = value("gop_hdr=");
    } else if (is("intra_dc_prec=")) {
        s.intraDcPrecision = value("intra_dc_prec=");
    } else if (is("intra_dc_precision_9_max=")) {
        s.intraDcPrecision = value("intra_dc_precision_9_max=") == 113 ? 1 : 0;
    } else if (is("intra_dc_precision_10_max=")) {
        // One step above what the 9-bit line said, never beyond 10 bits: a list that also carries
        // "intra_dc_prec=" must not climb by one at every save.
        if (value("intra_dc_precision_10_max=") == 113)
            s.intraDcPrecision = std::min(s.intraDcPrecision, 1) + 1;
    } else if (is("vbr_pass=")) {
        s.vbrPasses = value("vbr_pass=");
    } else if (is("name=")) {
        cell.name = std::string(line.substr(5));
    } else if (is("quality_prec=")) {
        s.quality = value("quality_prec=");
    } else if (is("q_char_f=")) {
        s.quality = value("q_char_f=");
        // CCE SP 1.x with the newer quality key: its mode codes differ (see "video_type=").
        if (project.cceType == 1)
            project.cceType = -1;
    } else if (is("pict_qchar=")) {
        s.quality = value("pict_qchar=");
    } else if (is("vbr_bias=")) {
        s.vbrBias = value("vbr_bias=");
    } else if (is("vbr_brate_min=")) {
        s.minBitrate = std::min(s.minBitrate, value("vbr_brate_min="));
    } else if (is("vbr_brate_max=")) {
        s.maxBitrate = std::max(s.maxBitrate, value("vbr_brate_max="));
    } else if (is("opv_q_factor=")) {
        s.opvQFactor = value("opv_q_factor=");
    } else if (is("video_type=")) {
        s.videoType = value("video_type=");
        segment.vbrMode = s.videoType == 8 || s.videoType == 16 || (s.videoType == 4 && project.cceType == 1);
    } else if (is("vmode=")) {
        s.videoType = value("vmode=");
        segment.vbrMode = s.videoType == 2;
    } else if (is("pict_type=")) {
        s.pictType = value("pict_type=");
    } else if (is("filter_off=")) {
        s.filterOff = value("filter_off=");
    } else if (is("filter_on=")) {
        s.filterOff = clampedInt(1 - std::int64_t(value("filter_on=")));
    } else if (is("pict_complexity=")) {
        s.pictComplexity = value("pict_complexity=");
    } else if (is("qmat_idx=")) {
        s.qmatIndex = value("qmat_idx=");
    } else if (is("qmat=")) {
        std::string matrixLine;
        for (int i = 0; i < qmatLineCount; ++i) {
            if (!in.next(matrixLine))
                break;
            if (startsWith(matrixLine, titleKey)) {
                // A short matrix block: the next item starts here.
                in.unread(matrixLine);
                break;
            }
            s.qmatLines[std::size_t(i)] = matrixLine;
        }
    } else if (is("use_filter=")) {
        s.useFilter = value("use_filter=");
    } else if (is("v_filter=")) {
        s.useFilter = value("v_filter=");
    } else if (is("filter_val=")) {
        s.filterValue = value("filter_val=");
    } else if (is("v_filter_val=")) {
        s.filterValue = value("v_filter_val=");
    } else if (is("dither=")) {
        s.dither = value("dither=");
    } else if (is("dither_max=")) {
        if (project.cceType != 3)
            s.ditherMax = value("dither_max=");
    } else if (is("dither_Y_max=")) {
        s.ditherMax = value("dither_Y_max=");
    } else if (is("dither_C_max=")) {
        s.ditherCMax = value("dither_C_max=");
    } else if (is("h_filter=")) {
        s.hFilter = value("h_filter=");
    } else if (is("h_filter_idx=")) {
        s.hFilterIndex = value("h_filter_idx=");
    } else if (is("h_filter_idx2=")) {
        s.hFilterIndex = clampedInt(std::int64_t(s.hFilterIndex) * 4 + value("h_filter_idx2="));
    } else if (is("alternate_scan=")) {
        foldAgreement(s.alternateScan, value("alternate_scan="), cellIndex);
    } else if (is("adjust_q_matrix=")) {
        s.adjustQMatrix = value("adjust_q_matrix=");
    } else if (is("no_move=")) {
        s.noMove = value("no_move=");
    } else if (is("progressive=")) {
        foldAgreement(s.progressive, value("progressive="), cellIndex);
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

} // namespace

bool readEcl(Project &project, const std::string &path, ReadError &error)
{
    error.detail.clear();
    LineReader in;
    if (!in.open(path))
        return false;

    Segment *segment = nullptr;
    Cell *cell = nullptr;
    int segmentIndex = -1;
    int cellIndex = 0;

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
        if (startsWith(line, titleKey)) {
            const CellKey key = parseItemTitle(line);
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
        if (!segment)
            continue;
        applyManagedKey(project, *segment, *cell, cellIndex, line, in);
        if (cell->loadedBitrate < 0 || cell->loadedBitrate > maxBitrate) {
            error.detail = cformat("Line %lld: the bitrate %d is not possible.", in.lineNumber(), cell->loadedBitrate);
            return false;
        }
    }
    if (in.failed()) {
        error.detail = cformat("The file could not be read after line %lld.", in.lineNumber());
        return false;
    }
    if (!finishSegment())
        return false;
    if (segmentIndex != project.lastSegmentIndex()) {
        const Segment &missing = project.segment(segmentIndex + 1);
        error.detail = cformat("The list ends without items for VTS %d, Vob-ID %d.", missing.vts, missing.cells[0].vobId);
        return false;
    }
    return true;
}

WriteResult writeEcl(const Project &project, const std::string &source, const std::string &target)
{
    LineReader in;
    if (!in.open(source))
        return WriteResult::SourceUnreadable;
    LineWriter out;
    if (!out.open(target))
        return WriteResult::WriteFailed;

    const CellIndex index(project);
    const bool cce270 = project.cceType == 3;
    const Segment *segment = nullptr;
    const Cell *cell = nullptr;

    // Skips up to `count` lines that belong to the item being written (never the next title).
    auto dropLines = [&in](int count) {
        std::string dropped;
        for (int i = 0; i < count && in.next(dropped); ++i) {
            if (startsWith(dropped, titleKey)) {
                in.unread(dropped);
                break;
            }
        }
    };

    std::string line;
    while (in.next(line)) {
        if (startsWith(line, titleKey)) {
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
        auto is = [&line](std::string_view key) { return startsWith(line, key); };
        auto write = [&out](std::string_view key, int value) { out.writeLine(keyValue(key, value)); };

        if (is("vbr_brate_avg=")) {
            write("vbr_brate_avg=", cell->bitrate);
        } else if (is("gop_nm=")) {
            write("gop_nm=", s.gopHeader == 12 ? 4 : 5);
            write("gop_hdr=", s.gopHeader == 12 ? 12 : 15);
            dropLines(1);
        } else if (is("intra_dc_prec=")) {
            if (cce270) {
                write("intra_dc_precision_9_max=", s.intraDcPrecision > 0 ? 113 : 1);
                write("intra_dc_precision_10_max=", s.intraDcPrecision > 1 ? 113 : 1);
            } else {
                write("intra_dc_prec=", s.intraDcPrecision);
            }
        } else if (is("intra_dc_precision_9_max=")) {
            write("intra_dc_precision_9_max=", s.intraDcPrecision > 0 ? 113 : 1);
        } else if (is("intra_dc_precision_10_max=")) {
            write("intra_dc_precision_10_max=", s.intraDcPrecision > 1 ? 113 : 1);
        } else if (is("vbr_pass=")) {
            write("vbr_pass=", s.vbrPasses);
        } else if (is("quality_prec=")) {
            write("quality_prec=", s.quality);
        } else if (is("q_char_f=")) {
            write("q_char_f=", s.quality);
        } else if (is("pict_qchar=")) {
            write("pict_qchar=", s.quality);
        } else if (is("vbr_bias=")) {
            write("vbr_bias=", s.vbrBias);
        } else if (is("vbr_brate_min=")) {
            write("vbr_brate_min=", s.minBitrate);
        } else if (is("vbr_brate_max=")) {
            write("vbr_brate_max=", s.maxBitrate);
        } else if (is("opv_q_factor=")) {
            write("opv_q_factor=", s.opvQFactor);
        } else if (is("opv_brate_min=")) {
            write("opv_brate_min=", s.minBitrate);
        } else if (is("opv_brate_max=")) {
            write("opv_brate_max=", s.maxBitrate);
        } else if (is("video_type=") || is("vmode=")) {
            // Cells of 10 frames or fewer keep their mode line.
            if (cell->significant)
                write(is("vmode=") ? "vmode=" : "video_type=", s.videoType);
            else
                out.writeLine(line);
        } else if (is("pict_type=")) {
            write("pict_type=", s.pictType);
        } else if (is("filter_off=")) {
            write("filter_off=", s.filterOff);
        } else if (is("filter_on=")) {
            write("filter_on=", clampedInt(1 - std::int64_t(s.filterOff)));
        } else if (is("pict_complexity=")) {
            write("pict_complexity=", s.pictComplexity);
        } else if (is("qmat_idx=")) {
            write("qmat_idx=", s.qmatIndex);
            if (s.qmatIndex == -1) {
                out.writeLine("qmat=");
                for (const std::string &matrixLine : s.qmatLines)
                    out.writeLine(matrixLine);
            }
        } else if (is("qmat=")) {
            dropLines(qmatLineCount);
        } else if (is("use_filter=")) {
            write("use_filter=", s.useFilter);
            write("filter_val=", s.filterValue);
        } else if (is("v_filter=")) {
            write("v_filter=", s.useFilter);
            write("v_filter_val=", s.filterValue);
        } else if (is("filter_val=") || is("v_filter_val=")) {
            // written after its switch
        } else if (is("dither=")) {
            write("dither=", s.dither);
            if (cce270) {
                write("dither_Y_max=", s.ditherMax);
                write("dither_C_max=", s.ditherCMax);
            } else {
                write("dither_max=", s.ditherMax);
            }
        } else if (is("dither_max=") || is("dither_Y_max=") || is("dither_C_max=")) {
            // written after "dither="
        } else if (is("h_filter=")) {
            write("h_filter=", s.hFilter);
            if (cce270) {
                write("h_filter_idx=", s.hFilterIndex / 4);
                write("h_filter_idx2=", s.hFilterIndex % 4);
            } else {
                write("h_filter_idx=", s.hFilterIndex);
            }
        } else if (is("h_filter_idx=") || is("h_filter_idx2=")) {
            // written after "h_filter="
        } else if (is("alternate_scan=")) {
            // When the cells disagree, each item keeps its own value.
            if (s.alternateScan != -1)
                write("alternate_scan=", s.alternateScan);
            else
                out.writeLine(line);
        } else if (is("adjust_q_matrix=")) {
            write("adjust_q_matrix=", s.adjustQMatrix);
        } else if (is("no_move=")) {
            write("no_move=", s.noMove);
        } else if (is("progressive=")) {
            if (s.progressive != -1)
                write("progressive=", s.progressive);
            else
                out.writeLine(line);
        } else {
            out.writeLine(line);
        }
    }
    if (in.failed())
        return WriteResult::WriteFailed;
    return out.commit() ? WriteResult::Ok : WriteResult::WriteFailed;
}
