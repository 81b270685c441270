// make-project: writes a synthetic DVD-Rebuilder working folder for demos, tests and benchmarks.

#include "MediaClips.h"
#include "ProjectGenerator.h"

#include "common/CommandLine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char *const kUsage =
    "usage: make-project [--seed N] [--size demo|stress|SEGMENTS] [--cells-per-segment N]\n"
    "                    [--cce-type 0-3] [--decimal-comma] [--media] [--segment-frames MIN-MAX]\n"
    "                    [--windows-paths] <output folder>\n"
    "Writes Rebuilder.INF, Rebuilder.ECL and one AviSynth script per cell into the folder\n"
    "and prints the path of the INF.\n"
    "  --size demo      2 title sets, 6 segments, about 20 cells (the default)\n"
    "  --size stress    3000 segments\n"
    "  --size N         N segments\n"
    "  --media          also write real source clips with ffmpeg, one per title set, into MEDIA/,\n"
    "                   and open them in the scripts with FFVideoSource(\"PATH\"); cell bitrates then\n"
    "                   follow the clips' content. Without --size: 8 OPV segments of 1,500 to\n"
    "                   20,000 frames in 2 title sets (about 60,000 frames, several minutes of ffmpeg)\n"
    "  --segment-frames MIN-MAX\n"
    "                   give the segments MIN to MAX frames each\n"
    "  --windows-paths  name the scripts in the ECL by their Windows paths (Z:\\..., letter case\n"
    "                   varied), as DVD-Rebuilder under Wine does\n";

int usage(const char *problem)
{
    if (problem)
        std::fprintf(stderr, "make-project: %s\n", problem);
    std::fputs(kUsage, stderr);
    return 2;
}

bool parseNumber(const std::string &text, long long lo, long long hi, long long &value)
{
    char *end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return end != text.c_str() && *end == '\0' && value >= lo && value <= hi;
}

} // namespace

int main(int argc, char **argv)
{
    long long seed = 1;
    std::string size = "demo";
    long long cellsPerSegment = -1;
    long long cceType = -1;
    bool decimalComma = false;
    bool media = false;
    bool sizeGiven = false;
    long long framesMin = 0;
    long long framesMax = 0;
    bool windowsPaths = false;
    std::string folder;

    const std::vector<std::string> args = commandLineArguments(argc, argv);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--seed" && hasValue) {
            if (!parseNumber(args[++i], 0, 0xFFFFFFFFll, seed))
                return usage("--seed takes a number from 0 to 4294967295");
        } else if (arg == "--size" && hasValue) {
            size = args[++i];
            sizeGiven = true;
        } else if (arg == "--cells-per-segment" && hasValue) {
            if (!parseNumber(args[++i], 1, 999, cellsPerSegment))
                return usage("--cells-per-segment takes a number from 1 to 999");
        } else if (arg == "--cce-type" && hasValue) {
            if (!parseNumber(args[++i], 0, 3, cceType))
                return usage("--cce-type takes 0, 1, 2 or 3");
        } else if (arg == "--decimal-comma") {
            decimalComma = true;
        } else if (arg == "--windows-paths") {
            windowsPaths = true;
        } else if (arg == "--media") {
            media = true;
        } else if (arg == "--segment-frames" && hasValue) {
            const std::string range = args[++i];
            const std::size_t dash = range.find('-');
            if (dash == std::string::npos || !parseNumber(range.substr(0, dash), 1, 1000000, framesMin) ||
                !parseNumber(range.substr(dash + 1), framesMin, 1000000, framesMax))
                return usage("--segment-frames takes MIN-MAX, with 1 <= MIN <= MAX <= 1000000");
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(("unknown or incomplete option " + arg).c_str());
        } else if (folder.empty()) {
            folder = arg;
        } else {
            return usage("only one output folder");
        }
    }
    if (folder.empty())
        return usage("no output folder given");

    GeneratorOptions options;
    long long segments = 0;
    if (media && !sizeGiven) {
        options = mediaOptions(unsigned(seed));
        if (cellsPerSegment > 0)
            options.cellsPerSegment = int(cellsPerSegment);
    } else if (size == "demo") {
        options = demoOptions(unsigned(seed));
        if (cellsPerSegment > 0)
            options.cellsPerSegment = int(cellsPerSegment);
    } else if (size == "stress") {
        options = stressOptions(unsigned(seed), 3000, cellsPerSegment > 0 ? int(cellsPerSegment) : 6);
    } else if (parseNumber(size, 1, 99 * 49998, segments)) {
        options = stressOptions(unsigned(seed), int(segments), cellsPerSegment > 0 ? int(cellsPerSegment) : 6);
    } else {
        return usage("--size takes demo, stress or a number of segments");
    }
    if (cceType >= 0)
        options.cceType = int(cceType);
    options.decimalComma = decimalComma;
    options.media = media;
    if (framesMin > 0) {
        options.segmentFramesMin = int(framesMin);
        options.segmentFramesMax = int(framesMax);
    }
    options.windowsPaths = windowsPaths;

    std::string infPath;
    std::string error;
    std::vector<MediaClip> clips;
    if (!generateProject(options, folder, &infPath, &error, &clips) || !writeMediaClips(clips, &error)) {
        std::fprintf(stderr, "make-project: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", infPath.c_str());
    return 0;
}
