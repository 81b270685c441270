#include "ProjectGenerator.h"

#include "common/Format.h"
#include "common/TextFile.h"
#include "platform/PathMapper.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace {

// splitmix64: tiny, and the same sequence from every standard library (std distributions are not).
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // lo..hi, both included
    int between(int lo, int hi) { return lo + int(next() % std::uint64_t(hi - lo + 1)); }
    bool chance(int percent) { return between(0, 99) < percent; }
    template <typename T, std::size_t N>
    const T &pick(const std::array<T, N> &values) { return values[std::size_t(between(0, int(N) - 1))]; }

private:
    std::uint64_t m_state;
};

const std::array<double, 6> kFramesPerSecond = {0.0, 23.976, 24.0, 25.0, 29.97, 30.0};

struct CellPlan {
    int subId = 1;
    int cellId = 1;
    int frames = 0;
    int rateCode = 3;
    int bitrate = 0;         // kbit/s, "vbr_brate_avg="
    int reductionTenths = 0; // "Reduction=" x 10, 10..1000
    int modeCode = 0;        // the item's "video_type="/"vmode=" value
    int progressive = 0;
    int alternateScan = 0;
    std::int64_t trimStart = 0; // first frame in the title set's D2V
    bool pulldownLine = false;
};

// Everything DVD-Rebuilder writes alike into the items of one segment.
struct SegmentPlan {
    int vts = 1;
    int vobId = 1;
    bool opv = false;
    int passes = 3;
    int vbrBias = 20;
    int quality = 2;
    int gopHeader = 15;
    int intraDcPrecision = 1;
    int pictType = 0;
    int pictComplexity = 1;
    int filterOff = 0;
    int useFilter = 0;
    int filterValue = 0;
    int dither = 1;
    int ditherMax = 2;
    int ditherCMax = 2;
    int hFilter = 0;
    int hFilterIndex = 0;
    int qmatIndex = 0;
    std::array<std::string, 16> qmatLines;
    int adjustQMatrix = 0;
    int noMove = 0;
    int minBitrate = 0;
    int maxBitrate = 9000;
    int opvQFactor = 30;
    std::string filterLine; // extra line in the cell scripts, empty for none
    std::vector<CellPlan> cells;
};

struct TitleSetPlan {
    int vts = 1;
    std::int64_t videoSectors = 0;
};

struct ProjectPlan {
    std::vector<SegmentPlan> segments;
    std::vector<MediaClip> clips;            // media projects: one per title set
    std::vector<std::int64_t> titleSetSizes; // sectors, "VTS_nn="
    std::int64_t excludedSize = 0;           // sectors
    std::int64_t originalSize = 0;           // sectors
};

struct ModeCodes {
    int vbr;
    int opv;
};

ModeCodes modeCodes(const GeneratorOptions &o)
{
    switch (o.cceType) {
    case 1:
        // "q_char_f=" turns the list into the newer SP kind, which uses the CCE 2.70 codes
        return o.qCharF ? ModeCodes{16, 4} : ModeCodes{4, 2};
    case 3:
        return {16, 4};
    default:
        return {2, 0};
    }
}

std::array<std::string, 16> customMatrix(Random &random)
{
    // MPEG-2's default intra matrix softened a little, then a near-flat non-intra one
    static const int intra[64] = {8,  16, 19, 22, 26, 27, 29, 34, 16, 16, 22, 24, 27, 29, 34, 37,
                                  19, 22, 26, 27, 29, 34, 34, 38, 22, 22, 26, 27, 29, 34, 37, 40,
                                  22, 26, 27, 29, 32, 35, 40, 48, 26, 27, 29, 32, 35, 40, 48, 58,
                                  26, 27, 29, 34, 38, 46, 56, 69, 27, 29, 35, 38, 46, 56, 69, 83};
    const int soften = random.between(0, 3);
    const int flat = random.between(16, 20);
    std::array<std::string, 16> lines;
    for (int row = 0; row < 16; ++row) {
        std::string line;
        for (int column = 0; column < 8; ++column) {
            int value = row < 8 ? intra[row * 8 + column] - (row + column > 0 ? soften : 0)
                                : flat + (row - 8 + column) / 3;
            if (!line.empty())
                line += ',';
            line += cformat("%d", value);
        }
        lines[std::size_t(row)] = line;
    }
    return lines;
}

int segmentsOfTitleSet(const GeneratorOptions &o, int titleSetIndex)
{
    return o.segments / o.titleSets + (titleSetIndex < o.segments % o.titleSets ? 1 : 0);
}

// Bytes per frame that a 352x240 MPEG-2 encode of each kind of content takes at quantiser 16,
// as measured with ffmpeg: the cells' bitrates are planned from these.
constexpr int kContentBytesPerFrame[] = {928, 4167, 5691, 3464, 7909, 8031};
constexpr int kContentWeights[] = {15, 15, 20, 20, 15, 15};

MediaContent pickContent(Random &random)
{
    int roll = random.between(0, 99);
    for (int kind = 0; kind < 6; ++kind) {
        if (roll < kContentWeights[kind])
            return MediaContent(kind);
        roll -= kContentWeights[kind];
    }
    return MediaContent::Fast;
}

// Adds scenes until the clip reaches `frames`.
void extendClip(MediaClip &clip, std::int64_t frames, Random &random)
{
    while (clip.frames < frames) {
        MediaScene scene;
        scene.content = pickContent(random);
        scene.frames = random.between(150, 2500);
        scene.seed = unsigned(random.between(0, 65535));
        clip.frames += scene.frames;
        clip.scenes.push_back(scene);
    }
}

// Bytes per frame that frames [first, first + count) of the clip take at quantiser 16.
double contentBytesPerFrame(const MediaClip &clip, std::int64_t first, std::int64_t count)
{
    double bytes = 0.0;
    std::int64_t start = 0;
    for (const MediaScene &scene : clip.scenes) {
        const std::int64_t from = std::max(first, start);
        const std::int64_t to = std::min(first + count, start + scene.frames);
        if (to > from)
            bytes += double(to - from) * kContentBytesPerFrame[int(scene.content)];
        start += scene.frames;
    }
    return count > 0 ? bytes / double(count) : 0.0;
}

// Frames of each segment: segment i of n takes its count from the i-th of n bands that split
// [low, high] evenly on a log scale, the bands handed out short, long, short, long...
std::vector<int> segmentFrameCounts(const GeneratorOptions &o, Random &random)
{
    std::vector<int> counts;
    const int n = o.segments;
    const double low = o.segmentFramesMin;
    const double ratio = double(o.segmentFramesMax) / low;
    for (int i = 0; i < n; ++i) {
        const int band = i % 2 == 0 ? i / 2 : n - 1 - i / 2;
        const int lo = int(low * std::pow(ratio, double(band) / n));
        const int hi = std::max(lo, int(low * std::pow(ratio, double(band + 1) / n)));
        counts.push_back(random.between(lo, hi));
    }
    return counts;
}

// `frames` shared out among `cells` cells of at least one frame, each near an even share.
std::vector<int> splitFrames(int frames, int cells, Random &random)
{
    std::vector<int> weights;
    int total = 0;
    for (int c = 0; c < cells; ++c) {
        weights.push_back(random.between(50, 150));
        total += weights.back();
    }
    std::vector<int> parts;
    int given = 0;
    for (int c = 0; c < cells; ++c) {
        const int left = cells - c - 1;
        int part = c == cells - 1 ? frames - given : int(std::int64_t(frames) * weights[std::size_t(c)] / total);
        part = std::clamp(part, 1, frames - given - left);
        parts.push_back(part);
        given += part;
    }
    return parts;
}

ProjectPlan makePlan(const GeneratorOptions &o)
{
    Random random(o.seed * 0x100000001B3ull + 0x5EED);
    const ModeCodes codes = modeCodes(o);
    const bool ntsc = random.chance(40);
    static const std::array<std::string, 4> filters = {"Undot()", "RemoveGrain(mode=2)", "FluxSmoothST(7,7)",
                                                       "Crop(8,0,-8,0).AddBorders(8,0,8,0)"};

    ProjectPlan plan;
    plan.segments.reserve(std::size_t(o.segments));
    // Media projects draw from their own sequence, so the other projects stay as they were.
    Random media(o.seed * 0x9E3779B1ull + 0x4D45);
    const std::vector<int> segmentFrames = o.segmentFramesMin > 0 ? segmentFrameCounts(o, media) : std::vector<int>();
    int segmentIndex = 0;
    for (int t = 0; t < o.titleSets; ++t) {
        const int vts = t + 1;
        MediaClip clip;
        clip.vts = vts;
        std::int64_t trim = 0;
        std::int64_t videoSectors = 0;
        std::int64_t audioSectors = 0;
        int vobId = 0;
        const int count = segmentsOfTitleSet(o, t);
        for (int s = 0; s < count; ++s, ++segmentIndex) {
            SegmentPlan seg;
            seg.vts = vts;
            vobId += random.chance(10) ? 2 : 1;
            seg.vobId = vobId;
            seg.opv = o.opvEvery > 0 && segmentIndex % o.opvEvery == 1 % o.opvEvery;
            seg.passes = seg.opv ? 1 : random.between(2, 5);
            seg.vbrBias = random.pick(std::array<int, 4>{0, 20, 30, 50});
            seg.quality = o.cceType == 3 ? random.between(0, 3) : random.between(0, 40);
            seg.gopHeader = random.chance(75) ? 15 : 12;
            seg.intraDcPrecision = random.between(0, 2);
            seg.pictType = random.between(0, 2);
            seg.pictComplexity = random.between(0, 2);
            seg.filterOff = random.chance(80) ? 0 : 1;
            seg.useFilter = random.chance(30) ? 1 : 0;
            seg.filterValue = random.between(0, 3);
            seg.dither = random.chance(70) ? 1 : 0;
            seg.ditherMax = random.between(1, 4);
            seg.ditherCMax = random.between(1, 4);
            seg.hFilter = random.chance(20) ? 1 : 0;
            seg.hFilterIndex = o.cceType == 3 ? random.between(0, 11) : random.between(0, 3);
            if (o.customMatrixEvery > 0 && segmentIndex % o.customMatrixEvery == 2 % o.customMatrixEvery) {
                seg.qmatIndex = -1;
                seg.qmatLines = customMatrix(random);
            } else {
                seg.qmatIndex = random.between(0, 9);
            }
            seg.adjustQMatrix = random.chance(30) ? 1 : 0;
            seg.noMove = random.chance(10) ? 1 : 0;
            seg.minBitrate = random.chance(50) ? 0 : 300;
            seg.maxBitrate = random.between(90, 98) * 100;
            seg.opvQFactor = random.between(15, 60);
            if (random.chance(30))
                seg.filterLine = random.pick(filters);

            const int baseRate = ntsc ? (random.chance(60) ? 1 : 4) : 3;
            const int baseBitrate = random.between(20, 80) * 100;
            // DVD sources run at 5.5 to 9.8 Mbit/s, and DVD-Rebuilder always shrinks a little
            const int sourceBitrate = std::min(9800, std::max(random.between(55, 95) * 100, baseBitrate * 115 / 100));
            const bool disagree = o.disagreeingScanEvery > 0 &&
                                  segmentIndex % o.disagreeingScanEvery == 3 % o.disagreeingScanEvery;
            const int progressive = random.chance(20) ? 1 : 0;
            const int alternateScan = random.chance(60) ? 1 : 0;
            const int subId = random.chance(90) ? 1 : random.between(2, 4);

            int cellCount = o.varyCellCounts ? random.between(std::max(1, o.cellsPerSegment - 1), o.cellsPerSegment + 2)
                                              : o.cellsPerSegment;
            if (o.plantDemoCases && segmentIndex == 0)
                cellCount = std::max(cellCount, 3);
            if (o.plantDemoCases && segmentIndex == o.segments - 1)
                cellCount = std::max(cellCount, 2);
            const std::vector<int> cellFrames =
                segmentFrames.empty()
                    ? std::vector<int>()
                    : splitFrames(segmentFrames[std::size_t(segmentIndex)],
                                  std::min(cellCount, segmentFrames[std::size_t(segmentIndex)]), media);
            if (!cellFrames.empty())
                cellCount = int(cellFrames.size());
            // how much above or below the content's middling size this segment is planned
            const int mediaPercent = o.media ? media.between(75, 135) : 100;

            for (int c = 0; c < cellCount; ++c) {
                CellPlan cell;
                cell.subId = subId;
                cell.cellId = c + 1;
                const bool last = c == cellCount - 1;
                bool shortCell = random.chance(o.shortCellPercent);
                if (o.plantDemoCases && ((segmentIndex == 0 && c == 1) || (segmentIndex == o.segments - 1 && last)))
                    shortCell = true;
                cell.frames = shortCell ? random.between(1, 10)
                                        : (random.chance(25) ? random.between(11, 400) : random.between(400, 4000));
                cell.rateCode = baseRate;
                if (ntsc && random.chance(10))
                    cell.rateCode = baseRate == 1 ? 4 : 1;
                if (random.chance(1))
                    cell.rateCode = ntsc ? 5 : 2;
                cell.bitrate = shortCell ? baseBitrate : baseBitrate * random.between(90, 110) / 100;
                if (o.plantDemoCases && segmentIndex == o.segments - 1 && c == 0) {
                    // a still picture: already below the 500 kbit/s floor in the source
                    cell.frames = random.between(120, 250);
                    cell.bitrate = random.between(30, 45) * 10;
                }
                cell.reductionTenths = std::clamp(int(std::int64_t(cell.bitrate) * 1000 / sourceBitrate), 10, 1000);
                if (!cellFrames.empty())
                    cell.frames = cellFrames[std::size_t(c)];
                if (o.media) {
                    cell.rateCode = 4;
                    extendClip(clip, trim + cell.frames, media);
                    // kbit/s at 29.97 fps
                    const double bytes = contentBytesPerFrame(clip, trim, cell.frames) * mediaPercent / 100.0;
                    cell.bitrate = std::max(1, int(bytes * 8.0 * kMediaRateNum / kMediaRateDen / 1000.0 + 0.5));
                    cell.reductionTenths = media.between(500, 870);
                }
                cell.modeCode = seg.opv ? codes.opv : codes.vbr;
                // DVD-Rebuilder may leave a tiny cell in the other mode; the reader takes the
                // segment's mode from its last item, so such a cell is never the last one.
                bool oddMode = shortCell && !last && random.chance(50);
                if (o.plantDemoCases && segmentIndex == 0 && c == 1)
                    oddMode = true;
                if (oddMode)
                    cell.modeCode = seg.opv ? codes.vbr : codes.opv;
                cell.progressive = disagree ? (progressive + c) % 2 : progressive;
                cell.alternateScan = disagree ? (alternateScan + c / 2) % 2 : alternateScan;
                cell.trimStart = trim;
                cell.pulldownLine = random.chance(25);
                trim += cell.frames;

                const double fps = kFramesPerSecond[std::size_t(cell.rateCode)];
                const std::int64_t sectors =
                    std::int64_t(double(cell.frames) * cell.bitrate * 1000.0 / cell.reductionTenths / (fps * 16.384));
                videoSectors += sectors;
                audioSectors += sectors * random.between(5, 20) / 100;
                seg.cells.push_back(cell);
            }
            plan.segments.push_back(std::move(seg));
        }
        if (o.media) {
            // the clip ends with the title set: cut the last scene short
            if (!clip.scenes.empty()) {
                clip.scenes.back().frames -= clip.frames - trim;
                clip.frames = trim;
            }
            plan.clips.push_back(clip);
        }
        const std::int64_t excluded = audioSectors * random.between(20, 60) / 100;
        plan.titleSetSizes.push_back(videoSectors + audioSectors - excluded + random.between(200, 600));
        plan.excludedSize += excluded;
    }
    std::int64_t titleSetSum = 0;
    for (std::int64_t size : plan.titleSetSizes)
        titleSetSum += size;
    // VIDEO_TS and the menus: what the disc holds besides the title sets
    plan.originalSize = titleSetSum + plan.excludedSize + random.between(2000, 30000);
    return plan;
}

std::string titleOf(int vts, const CellPlan &cell, int vobId)
{
    return cformat("V%02d%04d%05d%03d", vts, cell.subId, vobId, cell.cellId);
}

std::string scriptNameOf(int vts, const CellPlan &cell, int vobId)
{
    return cformat("V%02d_%04d_%05d_%03d.avs", vts, cell.subId, vobId, cell.cellId);
}

// How the project names a file: its host path, or with windowsPaths its Windows path with the
// letter case of the components varied (folders by the seed, file names also by `salt`), since
// Windows programs keep whatever case the user or the program typed.
std::string nameOf(const GeneratorOptions &o, const std::filesystem::path &path, unsigned salt)
{
    if (!o.windowsPaths)
        return fromFsPath(path);
    std::string name = windowsPath(fromFsPath(path));
    const std::size_t last = name.rfind('\\');
    unsigned component = 0;
    for (std::size_t i = name.find('\\'); i != std::string::npos && i < name.size(); ++i) {
        if (name[i] == '\\') {
            ++component;
            continue;
        }
        const unsigned variant = (o.seed + component + (i > last ? salt : 0)) % 3;
        char &c = name[i];
        if (variant == 1 && c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        else if (variant == 2 && c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return name;
}

bool commit(LineWriter &writer, const std::filesystem::path &path, std::string *errorOut)
{
    if (writer.commit())
        return true;
    if (errorOut)
        *errorOut = "cannot write " + fromFsPath(path);
    return false;
}

bool writeInf(const GeneratorOptions &o, const ProjectPlan &plan, const std::filesystem::path &folder,
              std::string *errorOut)
{
    const std::filesystem::path path = folder / "Rebuilder.INF";
    LineWriter out;
    if (!out.open(fromFsPath(path)))
        return commit(out, path, errorOut);
    out.writeLine("[Project]");
    out.writeLine(cformat("Generator=make-project seed %u (synthetic)", o.seed));
    out.writeLine(cformat("Original_Size=%lld", (long long)plan.originalSize));
    out.writeLine(cformat("Excluded_Audio_Sub_Size=%lld", (long long)plan.excludedSize));
    out.writeLine(cformat("mode=%d", o.encoderMode));
    out.writeLine(cformat("CCEType=%d", o.cceType));
    out.writeLine("Target_Media=DVD-5");
    out.writeLine("[Title_Sets]");
    for (std::size_t t = 0; t < plan.titleSetSizes.size(); ++t)
        out.writeLine(cformat("VTS_%02d=%lld", int(t) + 1, (long long)plan.titleSetSizes[t]));
    out.writeLine("[Cells]");
    for (const SegmentPlan &seg : plan.segments) {
        for (const CellPlan &cell : seg.cells) {
            out.writeLine("[" + titleOf(seg.vts, cell, seg.vobId) + "]");
            out.writeLine(cformat("Frame_Rate_Code=%d", cell.rateCode));
            if (cell.pulldownLine)
                out.writeLine(cformat("Pulldown=%d", cell.rateCode == 1 ? 1 : 0));
            out.writeLine(cformat("Frames=%d", cell.frames));
            std::string reduction = formatFixed(cell.reductionTenths / 10.0, 4, 1);
            if (o.decimalComma)
                std::replace(reduction.begin(), reduction.end(), '.', ',');
            out.writeLine("Reduction=" + reduction);
        }
    }
    return commit(out, path, errorOut);
}

void writeItem(const GeneratorOptions &o, const SegmentPlan &seg, const CellPlan &cell,
               const std::filesystem::path &folder, LineWriter &out)
{
    const bool cce270 = o.cceType == 3;
    const std::string title = titleOf(seg.vts, cell, seg.vobId);
    auto key = [&out](const char *name, long long value) { out.writeLine(cformat("%s%lld", name, value)); };

    out.writeLine("[item]");
    out.writeLine("title=" + title);
    const unsigned salt = unsigned(seg.vobId + cell.cellId);
    out.writeLine("name=" + nameOf(o, folder / scriptNameOf(seg.vts, cell, seg.vobId), salt));
    out.writeLine("frame_first=0");
    out.writeLine("frame_last=-1");
    out.writeLine("vid_out=1");
    out.writeLine("vid_file0=" + nameOf(o, folder / "ENCODED" / (title + ".m2v"), salt));
    out.writeLine("aud_out=0");
    // the quality line comes before the mode line: "q_char_f=" changes how the mode code reads
    if (cce270)
        key("quality_prec=", seg.quality);
    else if (o.cceType == 1 && o.qCharF)
        key("q_char_f=", seg.quality);
    else
        key("pict_qchar=", seg.quality);
    key(o.cceType == 0 || o.cceType == 2 ? "vmode=" : "video_type=", cell.modeCode);
    key("passes=", seg.passes);
    key("vbr_pass=", seg.passes);
    key("vbr_bias=", seg.vbrBias);
    key("vbr_brate_avg=", cell.bitrate);
    key("vbr_brate_min=", seg.minBitrate);
    key("vbr_brate_max=", seg.maxBitrate);
    key("opv_q_factor=", seg.opvQFactor);
    key("opv_brate_min=", seg.minBitrate);
    key("opv_brate_max=", seg.maxBitrate);
    key("gop_nm=", seg.gopHeader == 12 ? 4 : 5);
    key("gop_hdr=", seg.gopHeader);
    out.writeLine("seq_endcode=1");
    if (cce270) {
        key("intra_dc_precision_9_max=", seg.intraDcPrecision > 0 ? 113 : 1);
        key("intra_dc_precision_10_max=", seg.intraDcPrecision > 1 ? 113 : 1);
    } else {
        key("intra_dc_prec=", seg.intraDcPrecision);
    }
    key("pict_type=", seg.pictType);
    key("pict_complexity=", seg.pictComplexity);
    if (cce270) {
        key("filter_off=", seg.filterOff);
        key("use_filter=", seg.useFilter);
        key("filter_val=", seg.filterValue);
    } else {
        key("filter_on=", 1 - seg.filterOff);
        key("v_filter=", seg.useFilter);
        key("v_filter_val=", seg.filterValue);
    }
    key("dither=", seg.dither);
    if (cce270) {
        key("dither_Y_max=", seg.ditherMax);
        key("dither_C_max=", seg.ditherCMax);
    } else {
        key("dither_max=", seg.ditherMax);
    }
    key("h_filter=", seg.hFilter);
    if (cce270) {
        key("h_filter_idx=", seg.hFilterIndex / 4);
        key("h_filter_idx2=", seg.hFilterIndex % 4);
    } else {
        key("h_filter_idx=", seg.hFilterIndex);
    }
    key("qmat_idx=", seg.qmatIndex);
    if (seg.qmatIndex == -1) {
        out.writeLine("qmat=");
        for (const std::string &line : seg.qmatLines)
            out.writeLine(line);
    }
    key("alternate_scan=", cell.alternateScan);
    key("adjust_q_matrix=", seg.adjustQMatrix);
    key("no_move=", seg.noMove);
    key("progressive=", cell.progressive);
    out.writeLine("aspect_ratio=2");
    out.writeLine("top_first=1");
}

bool writeEcl(const GeneratorOptions &o, const ProjectPlan &plan, const std::filesystem::path &folder,
              std::string *errorOut)
{
    const std::filesystem::path path = folder / "Rebuilder.ECL";
    LineWriter out;
    if (!out.open(fromFsPath(path)))
        return commit(out, path, errorOut);
    for (const SegmentPlan &seg : plan.segments)
        for (const CellPlan &cell : seg.cells)
            writeItem(o, seg, cell, folder, out);
    return commit(out, path, errorOut);
}

// How hard a segment's content is to encode, 0.60 to 1.60, for tools/fake-cce: a hash of the
// seed and the segment's identity, so it draws nothing from the plan's random sequence and the
// INF and ECL stay as they were without it.
std::string complexityLine(unsigned seed, const SegmentPlan &seg)
{
    Random hash((std::uint64_t(seed) << 32) ^ (std::uint64_t(seg.vts) << 20) ^ std::uint64_t(seg.vobId));
    return "# Complexity: " + formatFixed(0.6 + double(hash.next() % 101) / 100.0, 0, 2) + "\r\n";
}

bool writeScripts(const GeneratorOptions &o, const ProjectPlan &plan, const std::filesystem::path &folder,
                  std::string *errorOut)
{
    // The scripts are new files in a new project, so they skip LineWriter's replace-and-sync:
    // a stress project has tens of thousands of them, and a sync each would take minutes.
    std::string text;
    for (const SegmentPlan &seg : plan.segments) {
        std::string source =
            cformat("Mpeg2Source(\"%s\")\r\n", nameOf(o, folder / "D2V" / cformat("VTS_%02d_1.d2v", seg.vts), 0).c_str());
        for (const MediaClip &clip : plan.clips)
            if (clip.vts == seg.vts)
                source = cformat("FFVideoSource(\"%s\")\r\n", nameOf(o, toFsPath(clip.path), 0).c_str());
        const std::string complexity = complexityLine(o.seed, seg);
        for (const CellPlan &cell : seg.cells) {
            const std::filesystem::path path = folder / scriptNameOf(seg.vts, cell, seg.vobId);
            const long long first = cell.trimStart;
            const long long last = first + cell.frames - 1;
            text = source;
            // Trim(0,0) would mean the whole clip; a negative end counts frames instead
            text += last == 0 ? cformat("Trim(%lld,-1)\r\n", first) : cformat("Trim(%lld,%lld)\r\n", first, last);
            if (!seg.filterLine.empty())
                text += seg.filterLine + "\r\n";
            text += complexity;
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(text.data(), std::streamsize(text.size()));
            out.close();
            if (!out) {
                if (errorOut)
                    *errorOut = "cannot write " + fromFsPath(path);
                return false;
            }
        }
    }
    return true;
}

std::string checkOptions(const GeneratorOptions &o)
{
    if (o.titleSets < 1 || o.titleSets > 99)
        return "title sets must be 1 to 99";
    if (o.segments < o.titleSets)
        return "there must be at least one segment per title set";
    if (o.segments / o.titleSets + 1 > 49999)
        return "too many segments for 99 title sets";
    const int most = o.varyCellCounts ? o.cellsPerSegment + 2 : o.cellsPerSegment;
    if (o.cellsPerSegment < 1 || most > 999)
        return "cells per segment must be 1 to 999 (1 to 997 when they vary)";
    if (o.cceType < 0 || o.cceType > 3)
        return "the CCE type must be 0 to 3";
    if (o.shortCellPercent < 0 || o.shortCellPercent > 100)
        return "the share of short cells must be 0 to 100";
    if (o.segmentFramesMin < 0 || o.segmentFramesMax > 1000000 ||
        (o.segmentFramesMin > 0 && o.segmentFramesMax < o.segmentFramesMin))
        return "segment frames must be a range from 1 to 1000000";
    return {};
}

} // namespace

GeneratorOptions demoOptions(unsigned seed)
{
    GeneratorOptions o;
    o.seed = seed;
    o.titleSets = 2;
    o.segments = 6;
    o.cellsPerSegment = 3;
    o.varyCellCounts = true;
    o.cceType = 3;
    o.encoderMode = 1;
    o.opvEvery = 5;
    o.customMatrixEvery = 4;
    o.disagreeingScanEvery = 7;
    o.shortCellPercent = 10;
    o.plantDemoCases = true;
    return o;
}

GeneratorOptions variantOptions(unsigned seed, int cceType, bool qCharF, bool decimalComma, int encoderMode)
{
    GeneratorOptions o = demoOptions(seed);
    o.cceType = cceType;
    o.qCharF = qCharF;
    o.decimalComma = decimalComma;
    o.encoderMode = encoderMode;
    return o;
}

GeneratorOptions mediaOptions(unsigned seed)
{
    // The demo's shape, every segment OPV, none of its planted odd cases.
    GeneratorOptions o = demoOptions(seed);
    o.segments = 8;
    o.opvEvery = 1;
    o.customMatrixEvery = 0;
    o.disagreeingScanEvery = 0;
    o.shortCellPercent = 0;
    o.plantDemoCases = false;
    o.media = true;
    o.segmentFramesMin = 1500;
    o.segmentFramesMax = 20000;
    return o;
}

GeneratorOptions stressOptions(unsigned seed, int segments, int cellsPerSegment)
{
    GeneratorOptions o;
    o.seed = seed;
    o.segments = segments;
    o.titleSets = std::clamp(segments / 30, 1, 99);
    o.cellsPerSegment = cellsPerSegment;
    o.varyCellCounts = false;
    o.cceType = 3;
    o.encoderMode = 1;
    return o;
}

bool generateProject(const GeneratorOptions &options, const std::string &folder, std::string *infPathOut,
                     std::string *errorOut, std::vector<MediaClip> *clipsOut)
{
    const std::string problem = checkOptions(options);
    if (!problem.empty()) {
        if (errorOut)
            *errorOut = problem;
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(toFsPath(folder), error);
    const std::filesystem::path root = std::filesystem::absolute(toFsPath(folder), error).lexically_normal();
    if (error || !std::filesystem::is_directory(root)) {
        if (errorOut)
            *errorOut = "cannot create the folder " + folder;
        return false;
    }
    ProjectPlan plan = makePlan(options);
    for (MediaClip &clip : plan.clips)
        clip.path = fromFsPath(root / "MEDIA" / cformat("VTS_%02d.avi", clip.vts));
    if (clipsOut)
        *clipsOut = plan.clips;
    if ((options.writeScripts && !writeScripts(options, plan, root, errorOut)) || !writeEcl(options, plan, root, errorOut) ||
        !writeInf(options, plan, root, errorOut))
        return false;
    if (infPathOut)
        *infPathOut = fromFsPath(root / "Rebuilder.INF");
    return true;
}
