// mpeg2-cce: encodes an encoding list's items with ffmpeg's MPEG-2 encoder at a fixed quantiser.
//
//     mpeg2-cce -ecl LIST [-batch]
//
// For every item of LIST: reads the script named by "name=" (one FFVideoSource("PATH") line,
// Trim and SelectRangeEvery lines; see Mpeg2Cce.h), maps "opv_q_factor=" to a quantiser code,
// and writes an MPEG-2 elementary stream with closed GOPs of "gop_hdr=" pictures to the path of
// "vid_file0=", at the frame size and rate of the source clip. One line per item on standard
// error tells the Q factor, the code used, the frames and the bytes. Exit status 0 when every
// item was encoded; 1 at the first item that could not be, with the reason on standard error;
// 2 for a wrong command line. Needs ffmpeg and ffprobe in PATH.

#include "ChildProcess.h"
#include "Mpeg2Cce.h"

#include "common/CommandLine.h"
#include "common/Format.h"
#include "common/TextFile.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace {

const char *const kUsage = "usage: mpeg2-cce -ecl LIST [-batch]\n"
                           "Encodes every item of the encoding list LIST with ffmpeg (MPEG-2, fixed quantiser\n"
                           "from opv_q_factor=, closed GOPs of gop_hdr= pictures) into its vid_file0= file.\n"
                           "       mpeg2-cce --mapping\n"
                           "Prints which Q factors share which quantiser code.\n";

int fail(const std::string &message)
{
    std::fprintf(stderr, "mpeg2-cce: %s\n", message.c_str());
    return 1;
}

bool readLines(const std::string &path, std::vector<std::string> &lines)
{
    LineReader reader;
    if (!reader.open(path))
        return false;
    std::string line;
    while (reader.next(line))
        lines.push_back(line);
    return !reader.failed();
}

std::optional<ClipInfo> probeClip(const std::string &path, std::string &problem)
{
    const std::vector<std::string> command = {"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                                              "stream=width,height,r_frame_rate,nb_frames", "-of",
                                              "default=noprint_wrappers=1", path};
    const ChildResult result = runChild(command, true);
    if (!result.started) {
        problem = result.error;
        return std::nullopt;
    }
    if (result.exitStatus != 0) {
        problem = "ffprobe cannot read the source clip " + path;
        return std::nullopt;
    }
    ClipInfo clip;
    std::istringstream in(result.output);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (key == "width")
            clip.width = std::atoi(value.c_str());
        else if (key == "height")
            clip.height = std::atoi(value.c_str());
        else if (key == "nb_frames" && !value.empty() && value != "N/A")
            clip.frames = std::atoll(value.c_str());
        else if (key == "r_frame_rate") {
            const std::size_t slash = value.find('/');
            clip.rateNum = std::atoll(value.c_str());
            clip.rateDen = slash == std::string::npos ? 1 : std::atoll(value.c_str() + slash + 1);
        }
    }
    if (clip.width <= 0 || clip.height <= 0 || clip.rateNum <= 0 || clip.rateDen <= 0) {
        problem = "no video stream with a frame size and rate in " + path;
        return std::nullopt;
    }
    return clip;
}

void removeFile(const std::string &path)
{
    std::error_code ignored;
    std::filesystem::remove(toFsPath(path), ignored);
}

int encodeItem(const ListItem &item)
{
    const std::string label =
        item.title.empty() ? cformat("item at line %lld", item.firstLine) : "item " + item.title;
    if (item.scriptPath.empty())
        return fail(label + ": no name= line naming its script");
    if (item.outputPath.empty())
        return fail(label + ": no vid_file0= line naming its output");
    // Whatever goes wrong below, an older output must not be left to be measured as this one.
    removeFile(item.outputPath);
    if (!item.qFactor)
        return fail(label + ": no opv_q_factor= line with a number");
    if (*item.qFactor < 1)
        return fail(label + cformat(": the Q factor must be 1 or more, not %lld", *item.qFactor));
    if (!item.gopLength || *item.gopLength < 1 || *item.gopLength > 1000)
        return fail(label + ": no gop_hdr= line with a GOP length from 1 to 1000");

    std::vector<std::string> scriptLines;
    if (!readLines(item.scriptPath, scriptLines))
        return fail(label + ": cannot read the script " + item.scriptPath);
    std::string problem;
    const std::string scriptFolder = fromFsPath(toFsPath(item.scriptPath).parent_path());
    const std::optional<SourceScript> script = parseScript(scriptLines, scriptFolder, problem);
    if (!script)
        return fail(label + ": " + item.scriptPath + ", " + problem);
    const std::optional<ClipInfo> clip = probeClip(script->sourcePath, problem);
    if (!clip)
        return fail(label + ": " + problem);
    const long long expected = framesAfter(script->steps, clip->frames ? *clip->frames : -1);
    if (expected == 0)
        return fail(label + ": the script leaves no frames of " + script->sourcePath);

    const int code = quantiserCode(*item.qFactor);
    const int gop = int(*item.gopLength);
    const std::vector<std::string> command =
        encodeCommand(*script, *clip, code, gop, bFrames(gop, item.gopAnchors), item.outputPath);
    const auto started = std::chrono::steady_clock::now();
    const ChildResult result = runChild(command);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!result.started) {
        removeFile(item.outputPath);
        return fail(label + ": " + result.error);
    }
    if (result.exitStatus != 0) {
        removeFile(item.outputPath);
        return fail(label + cformat(": ffmpeg failed with exit status %d: ", result.exitStatus) +
                    describeCommand(command));
    }
    const std::optional<long long> pictures = countPictures(item.outputPath);
    if (!pictures)
        return fail(label + ": ffmpeg wrote no readable output to " + item.outputPath);
    if (expected > 0 && *pictures != expected) {
        removeFile(item.outputPath);
        return fail(label + cformat(": encoded %lld pictures where the script gives %lld frames", *pictures, expected));
    }
    std::error_code error;
    const auto bytes = std::filesystem::file_size(toFsPath(item.outputPath), error);
    std::fprintf(stderr,
                 "mpeg2-cce: %s: Q factor %lld -> quantiser_scale_code %d (non-linear, quantiser %d), GOP %d, %dx%d, %lld pictures, "
                 "%lld bytes, %.2f s\n",
                 label.c_str(), *item.qFactor, code, quantiserValue(code), gop, clip->width, clip->height, *pictures,
                 error ? -1LL : (long long)bytes, seconds);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args = commandLineArguments(argc, argv);
    std::string listPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (args[i] == "--mapping") {
            for (const std::string &line : quantiserTable())
                std::printf("%s\n", line.c_str());
            return 0;
        }
        if (args[i] == "-ecl" && i + 1 < args.size() && listPath.empty()) {
            listPath = args[++i];
        } else if (args[i] != "-batch") {
            std::fprintf(stderr, "mpeg2-cce: unexpected argument %s\n", args[i].c_str());
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (listPath.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::vector<std::string> lines;
    if (!readLines(listPath, lines))
        return fail("cannot read the encoding list " + listPath);
    const std::vector<ListItem> items = parseList(lines);
    if (items.empty())
        return fail("no items in the encoding list " + listPath);
    for (const ListItem &item : items)
        if (const int status = encodeItem(item))
            return status;
    return 0;
}
