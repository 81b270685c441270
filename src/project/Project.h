#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Desktop;

// Units used throughout the model:
//   bitrates in kbit/s (integers);
//   a "size" is the sum of frames x bitrate over cells, in frame-kbps units (64-bit: a long
//   project at a high bitrate passes 2^31);
//   disc sizes in 2048-byte sectors;
//   reductions in percent of the source size (100.0 = the cell keeps its full size).

// The highest bitrate the ECL reader accepts (kbit/s). DVD video stays below 10 Mbit/s; more
// is a damaged file, and accepting it would let the frame x bitrate sums overflow. Planning
// never goes above it either, so that every saved project loads again.
constexpr int maxCellBitrate = 1'000'000;

// One cell of a video segment: an item of Rebuilder.ECL and a section of Rebuilder.INF.
struct Cell {
    int vts = 0;    // title set number
    int subId = 0;  // the 4-digit field after the title set; matched, not interpreted
    int vobId = 0;
    int cellId = 0;
    int bitrate = 0;       // kbit/s, planned
    int frames = 0;
    int loadedBitrate = 0; // kbit/s, "vbr_brate_avg=" as loaded
    double fps = 0.0;
    float loadedReduction = 0.0f; // percent, "Reduction=" as loaded
    bool tweaked = false;         // bitrate set by hand in Tweak Cells
    bool significant = false;     // more than 10 frames; smaller cells are never re-planned
    std::string name;             // "name=": the cell's AviSynth script

    // bitrate x loadedReduction / loadedBitrate, in 64-bit floating point.
    double reduction() const;
    // Plans the cell at `value` kbit/s, never below 500 (unless the source is lower), never
    // above 100 % of its source size and never above maxCellBitrate.
    void setBitrate(int value);
    // The reduction with the cell at the 500 kbit/s floor.
    double minReduction() const;
    std::int64_t sizeSectors() const; // 2048-byte sectors
    std::int64_t size() const { return std::int64_t(frames) * bitrate; }
    std::int64_t loadedSize() const { return std::int64_t(frames) * loadedBitrate; }
};

// The CCE settings of one segment, as read from its ECL items.
struct EncoderSettings {
    int gopHeader = 15;
    int vbrPasses = 0;
    int intraDcPrecision = 0; // 0 = 8 bits, 1 = 9 bits, 2 = 10 bits
    int useFilter = -1;
    int filterValue = 0;
    int dither = -1;
    int ditherMax = 0;
    int ditherCMax = 0;
    int hFilter = -1;
    int hFilterIndex = 0; // CCE 2.70 keeps first x 4 + second
    int quality = -1;
    int qmatIndex = 0;    // -1 = custom matrix in qmatLines
    int filterOff = -1;
    int pictType = -1;
    int pictComplexity = 0;
    int vbrBias = -1;
    int minBitrate = 9001; // kbit/s, smallest over the segment's items
    int maxBitrate = 0;    // kbit/s, largest over the segment's items
    int opvQFactor = 0;
    int videoType = 0;     // encoding-mode code
    int alternateScan = 0; // -1 when the items disagree
    int adjustQMatrix = 0;
    int noMove = 0;
    int progressive = 0;   // -1 when the items disagree
    std::array<std::string, 16> qmatLines;

    bool operator==(const EncoderSettings &) const = default;
};

// A run of cells with one title set and Vob-ID: one row of the main window.
class Segment {
public:
    std::vector<Cell> cells;
    bool tweaked = false;   // some cell bitrate was set by hand
    bool autosized = true;  // takes part in automatic distribution
    int significantCells = 0;
    bool replanned = false; // needs a new OPV Q factor at the next save
    bool vbrMode = false;   // true = VBR (multipass), false = OPV (fixed Q factor)
    int vts = 0;
    std::int64_t totalFrames = 0; // frames of the cells added by addCell (and merged in)
    EncoderSettings settings;

    int cellCount() const { return int(cells.size()); }
    Cell &addCell(int vts, int subId, int vobId, int cellId, int bitrate, int frames, double fps);

    std::int64_t size() const;        // frame-kbps units
    std::int64_t loadedSize() const;  // frame-kbps units, at the loaded bitrates
    std::int64_t frameSum() const;
    std::int64_t sizeSectors() const; // 2048-byte sectors
    int averageBitrate() const;       // kbit/s; 0 for a segment without frames
    int loadedAverageBitrate() const; // kbit/s; 0 for a segment without frames
    double reductionPercent() const;
    double loadedReductionPercent() const;
    std::string durationText() const; // "HH:MM.SS"

    // Planning: spreading a bitrate or reduction over the cells.
    void setAverageBitrate(int value);
    void setReductionPercent(double percent);
    void tweakCell(int index, int bitrate, std::int64_t slack);
    double minReductionPercent() const;
    double maxCellReduction(int index) const;

private:
    // Sum over cells of loadedBitrate x frames x 100 / loadedReduction: the source size.
    double sourceSize() const;
};

class Project {
public:
    std::string infPath;
    std::vector<Segment> segments;      // in file order
    std::int64_t targetTotalSize = 0;   // frame-kbps units; what automatic distribution aims for
    std::int64_t initialTotalSize = 0;  // frame-kbps units; as loaded
    std::int64_t sourceSize = 0;        // sectors, "Original_Size="
    std::int64_t excludedAudioSubSize = 0; // sectors, "Excluded_Audio_Sub_Size="
    std::int64_t vtsSizeSum = 0;        // sectors, sum of the "VTS_" lines
    std::int64_t overheadSize = 0;      // sectors: sourceSize - vtsSizeSum - excludedAudioSubSize
    bool decimalComma = false;          // the INF wrote its reductions with a comma
    int encoderMode = 0;                // INF "mode=": 1 = CCE, 3 = PRO
    int cceType = 0;                    // INF "CCEType=": 0..3, or -1 (type 1 with "q_char_f=")
    bool scriptsModified = false;

    // -1 when no project is loaded.
    int lastSegmentIndex() const { return int(segments.size()) - 1; }
    bool isLoaded() const { return !segments.empty(); }
    Segment &segment(int index) { return segments[std::size_t(index)]; }
    const Segment &segment(int index) const { return segments[std::size_t(index)]; }

    // Rebuilder.ECL beside the INF: the INF path with its last three characters replaced by
    // "ECL", or, where the file system tells letter case apart and no file has that name, the
    // file beside the INF whose name differs from it only in letter case (as Windows would
    // open it; the first in name order when there are several). Load and save both ask here,
    // so a save writes back to the file that was read.
    std::string eclPath() const;

    // What a load does with a save of the INF and ECL that was cut short (by a crash or a
    // kill) and left them to be repaired: repair them (complete or roll back that save, and say
    // which), or only report it and load nothing (a look that writes nothing).
    enum class InterruptedSaves { Repair, Report };
    // Reads the INF, then the ECL. On failure the user has seen why, and the project is empty.
    // While another process saves the project, nothing is loaded.
    bool load(const std::string &infPath, Desktop &desktop, InterruptedSaves interrupted = InterruptedSaves::Repair);

    // The prediction step of a save: asked to find new Q factors for the replanned OPV
    // segments; false means the user cancelled and the save stops.
    using PredictionStep = std::function<bool()>;
    // Writes the project back, holding the project's lock: ".original" copies (once), the
    // prediction step when an OPV segment is replanned, then the ".bak" copies and the new INF
    // and ECL, replaced as a pair (see PairReplacement.h).
    bool save(Desktop &desktop, const PredictionStep &predict);
    bool needsPrediction() const;

    std::int64_t currentTotalSize() const; // frame-kbps units
    std::int64_t totalSizeSectors() const; // 2048-byte sectors
    void resetBitrates();
    void mergeSegments(int target, int source);

    // Planning over the whole project.
    bool takesPartInAutosize(const Segment &segment, bool hideInsignificant) const;
    void distributeOnce(bool hideInsignificant);
    void autosize(bool hideInsignificant);
    void setOutputSizePercent(double percent);

    void clear();
};

// Copies DVD-Rebuilder's files back from their ".original" copies and the cell scripts from
// their ".bak" copies, after asking, then ends the program. False (and the program goes on)
// when the user says No or a copy fails. The INF and ECL are replaced as a pair, like a save,
// with ".bak" copies of what they held before.
bool restoreOriginals(const Project &project, Desktop &desktop);
