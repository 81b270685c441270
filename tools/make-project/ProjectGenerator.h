#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes a synthetic DVD-Rebuilder working folder: Rebuilder.INF, Rebuilder.ECL and one
// AviSynth script per cell, all with CR LF line ends. The same options always give the same
// bytes (apart from the folder path written into the ECL and the scripts). Each script ends with
// a "# Complexity: X" comment, how hard its segment is to encode, which tools/fake-cce reads.
//
// The ECL is written in exactly the form our own writer emits, so loading the folder and saving
// it without a change gives back the same INF and ECL byte for byte: segment-level keys carry
// the same value in every item of a segment, "vbr_brate_min="/"vbr_brate_max=" hold the
// segment's extremes, and each key is followed by the lines the writer puts after it.
struct GeneratorOptions {
    unsigned seed = 1;
    int titleSets = 2;        // 1..99
    int segments = 6;         // at least titleSets; each title set gets at least one
    int cellsPerSegment = 3;  // exact, or with varyCellCounts anything from one less to two more; 1..999
    bool varyCellCounts = true;
    int cceType = 3;          // "CCEType=": 0..3 (picks the ECL's key variants)
    int encoderMode = 1;      // "mode=": 1 = CCE, 3 = PRO
    bool qCharF = true;       // CCE type 1: quality as "q_char_f=" (read back as type -1)
    bool decimalComma = false; // every "Reduction=" written with "," as decimal mark
    int opvEvery = 5;         // segments 1, 1 + n, 1 + 2n, ... are OPV; 0 = none
    int customMatrixEvery = 4; // segments 2, 2 + n, ... carry a custom matrix (qmat_idx=-1); 0 = none
    int disagreeingScanEvery = 7; // segments 3, 3 + n, ... whose cells disagree on progressive/alternate_scan
    int shortCellPercent = 8; // chance of a cell of 10 frames or fewer
    // Plants the cases a demonstration needs whatever the seed: short cells (one of them with
    // the other mode's code), a cell below 500 kbit/s, an OPV segment.
    bool plantDemoCases = false;
    // Without the scripts only the two project files are written: enough to time their reading
    // and writing, and creating tens of thousands of small files is slow on some file systems.
    bool writeScripts = true;
    // A media project: every title set takes its frames from one real clip, MEDIA/VTS_nn.avi,
    // which the scripts open with FFVideoSource("PATH") (make-project --media writes the clips
    // with ffmpeg). The clip is a run of scenes of different content with cuts between them;
    // every cell runs at 29.97 fps and its bitrate follows the content of its frames, at about
    // what a 352x240 MPEG-2 encode of them takes at a middling quantiser.
    bool media = false;
    // When above 0, each segment gets from segmentFramesMin to segmentFramesMax frames, spread
    // over that range from segment to segment, shared out among its cells.
    int segmentFramesMin = 0;
    int segmentFramesMax = 0;
    // Names the scripts, the encoder's output files and the scripts' D2V sources by their
    // Windows paths ("Z:\tmp\DEMO\v01_0001_00001_001.AVS"), in varying letter case, as
    // DVD-Rebuilder running under Wine writes them. The files stay where they always are.
    bool windowsPaths = false;
};

// What a stretch of a media clip shows, from the easiest to encode to the hardest.
enum class MediaContent {
    Still,  // one detailed picture held
    Slow,   // the same kind of picture panning slowly
    Detail, // a fractal zooming slowly in: fine detail everywhere
    Motion, // a test pattern with moving parts
    Noise,  // the pattern under grain that changes every frame
    Fast,   // a cellular automaton scrolling by: fine detail in fast motion
};

struct MediaScene {
    MediaContent content = MediaContent::Still;
    std::int64_t frames = 0;
    unsigned seed = 0; // varies the picture between scenes of one kind
};

// One clip per title set: its frames are numbered across the title set as the cells' Trim
// lines count them.
struct MediaClip {
    int vts = 1;
    std::string path;
    std::int64_t frames = 0; // the sum of the scenes' frames
    std::vector<MediaScene> scenes;
};

// Frame size and rate of the clips.
constexpr int kMediaWidth = 352;
constexpr int kMediaHeight = 240;
constexpr int kMediaRateNum = 30000;
constexpr int kMediaRateDen = 1001;

// 2 title sets, 6 segments, about 20 cells, CCE 2.70.
GeneratorOptions demoOptions(unsigned seed);
// The demo with another encoder's keys: CCE type, quality key ("q_char_f=" for type 1), decimal
// comma in the INF, encoder mode (3 = PRO).
GeneratorOptions variantOptions(unsigned seed, int cceType, bool qCharF, bool decimalComma, int encoderMode = 1);
// A project for measuring OPV prediction on real clips: 8 OPV segments in 2 title sets, from
// 1,500 to 20,000 frames each (short and long ones alternating), 2 to 5 cells each, media on.
GeneratorOptions mediaOptions(unsigned seed);
// Thousands of segments over up to 99 title sets, cellsPerSegment cells each.
GeneratorOptions stressOptions(unsigned seed, int segments = 3000, int cellsPerSegment = 6);

// Writes the project into `folder` (created when missing). On success returns true and, when
// infPathOut is given, stores the path of the written Rebuilder.INF there. False when the options
// are out of range or a file cannot be written; `errorOut` then says why. For a media project
// `clipsOut` receives the clips the scripts name (writing them is writeMediaClips' job).
bool generateProject(const GeneratorOptions &options, const std::string &folder, std::string *infPathOut,
                     std::string *errorOut = nullptr, std::vector<MediaClip> *clipsOut = nullptr);
