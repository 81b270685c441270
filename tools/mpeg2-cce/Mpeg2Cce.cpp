#include "Mpeg2Cce.h"

#include "common/Format.h"
#include "common/TextFile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

bool startsWith(const std::string &text, const char *prefix)
{
    return text.rfind(prefix, 0) == 0;
}

std::string lowered(std::string text)
{
    for (char &c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string trimmed(const std::string &text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// A leading integer, as the encoding list's readers take it; nothing when there is none.
std::optional<long long> leadingInteger(const std::string &text)
{
    const char *begin = text.c_str();
    char *end = nullptr;
    const long long value = std::strtoll(begin, &end, 10);
    if (end == begin)
        return std::nullopt;
    return value;
}

std::optional<long long> wholeInteger(const std::string &text)
{
    const std::string t = trimmed(text);
    if (t.empty())
        return std::nullopt;
    char *end = nullptr;
    const long long value = std::strtoll(t.c_str(), &end, 10);
    if (*end != '\0')
        return std::nullopt;
    return value;
}

// "Name(args) rest": the name in lower case and the text between the brackets. Nothing when the
// line is not a call (an assignment, a comment, a chain of calls keeps only its first).
bool splitCall(const std::string &line, std::string &name, std::string &arguments)
{
    std::size_t i = 0;
    while (i < line.size() && (std::isalnum(static_cast<unsigned char>(line[i])) || line[i] == '_'))
        ++i;
    if (i == 0)
        return false;
    std::size_t open = i;
    while (open < line.size() && (line[open] == ' ' || line[open] == '\t'))
        ++open;
    if (open >= line.size() || line[open] != '(')
        return false;
    // the closing bracket, skipping over quoted text
    bool quoted = false;
    std::size_t close = open + 1;
    for (; close < line.size(); ++close) {
        if (line[close] == '"')
            quoted = !quoted;
        else if (!quoted && line[close] == ')')
            break;
    }
    if (close >= line.size())
        return false;
    name = lowered(line.substr(0, i));
    arguments = line.substr(open + 1, close - open - 1);
    return true;
}

std::vector<std::string> splitArguments(const std::string &text)
{
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        if (c == ',' && !quoted)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    for (std::string &part : parts)
        part = trimmed(part);
    return parts;
}

std::string secondsText(double seconds)
{
    return formatFixed(std::max(0.0, seconds), 1, 6);
}

} // namespace

std::vector<ListItem> parseList(const std::vector<std::string> &lines)
{
    std::vector<ListItem> items;
    ListItem item;
    bool hasKey = false;
    auto finish = [&] {
        if (hasKey)
            items.push_back(item);
        item = ListItem();
        hasKey = false;
    };
    for (std::size_t n = 0; n < lines.size(); ++n) {
        std::string line = lines[n];
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (lowered(trimmed(line)) == "[item]") {
            finish();
            item.firstLine = (long long)n + 1;
            continue;
        }
        if (item.firstLine == 0)
            item.firstLine = (long long)n + 1;
        if (startsWith(line, "title=")) {
            item.title = line.substr(6);
        } else if (startsWith(line, "name=")) {
            item.scriptPath = line.substr(5);
            hasKey = true;
        } else if (startsWith(line, "vid_file0=")) {
            item.outputPath = line.substr(10);
            hasKey = true;
        } else if (startsWith(line, "opv_q_factor=")) {
            item.qFactor = leadingInteger(line.substr(13));
            hasKey = true;
        } else if (startsWith(line, "gop_hdr=")) {
            item.gopLength = leadingInteger(line.substr(8));
            hasKey = true;
        } else if (startsWith(line, "gop_nm=")) {
            item.gopAnchors = leadingInteger(line.substr(7));
            hasKey = true;
        }
    }
    finish();
    return items;
}

namespace {

// The non-linear quantiser scale by code; ffmpeg encodes with codes 1 to 28 only.
constexpr int kNonLinearScale[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10, 12, 14, 16, 18, 20,
                                   22, 24, 28, 32, 36, 40, 44, 48, 52, 56, 64, 72, 80, 88};
constexpr int kHighestCode = 28;
// From here on Q^3 needs care in 64 bits, and every such Q has the coarsest code anyway.
constexpr long long kLargeQ = 1000000;

long long fifthPower(long long v)
{
    return v * v * v * v * v;
}

} // namespace

int quantiserCode(long long qFactor)
{
    if (qFactor >= kLargeQ)
        return kHighestCode;
    const long long q = std::max(1LL, qFactor);
    int code = 1;
    while (code < kHighestCode && fifthPower(kNonLinearScale[code + 1]) <= q * q * q)
        ++code;
    return code;
}

int quantiserValue(int code)
{
    return kNonLinearScale[std::clamp(code, 1, kHighestCode)];
}

std::vector<std::string> quantiserTable()
{
    std::vector<std::string> lines;
    long long first = 1;
    for (int code = 1; code <= kHighestCode; ++code) {
        long long last = first;
        while (last < kLargeQ && quantiserCode(last + 1) == code)
            ++last;
        lines.push_back(code == kHighestCode
                            ? cformat("Q %lld and up: code %d (quantiser %d)", first, code, quantiserValue(code))
                            : cformat("Q %lld-%lld: code %d (quantiser %d)", first, last, code, quantiserValue(code)));
        first = last + 1;
    }
    return lines;
}

int bFrames(long long gopLength, std::optional<long long> gopAnchors)
{
    long long count = 2;
    if (gopAnchors && *gopAnchors >= 1)
        count = gopLength / *gopAnchors - 1;
    return int(std::clamp<long long>(count, 0, std::max<long long>(0, gopLength - 1)));
}

std::optional<SourceScript> parseScript(const std::vector<std::string> &lines, const std::string &scriptFolder,
                                        std::string &problem)
{
    SourceScript script;
    bool haveSource = false;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string line = trimmed(lines[n]);
        std::string name;
        std::string arguments;
        if (line.empty() || line[0] == '#' || !splitCall(line, name, arguments))
            continue;
        const std::string where = cformat("line %d", int(n) + 1);
        const std::vector<std::string> args = splitArguments(arguments);
        if (name == "ffvideosource") {
            const std::string &path = args[0];
            if (path.size() < 3 || path.front() != '"' || path.back() != '"') {
                problem = where + ": FFVideoSource needs the clip's path in double quotes first";
                return std::nullopt;
            }
            if (haveSource) {
                problem = where + ": a second FFVideoSource line; only one source clip is understood";
                return std::nullopt;
            }
            haveSource = true;
            std::filesystem::path source = toFsPath(path.substr(1, path.size() - 2));
            if (source.is_relative())
                source = toFsPath(scriptFolder) / source;
            script.sourcePath = fromFsPath(source);
        } else if (name == "trim" || name == "selectrangeevery") {
            const bool trim = name == "trim";
            std::optional<long long> a;
            std::optional<long long> b;
            if (args.size() == 2) {
                a = wholeInteger(args[0]);
                b = wholeInteger(args[1]);
            }
            if (!a || !b) {
                problem = where + (trim ? ": expected Trim(first, last) with two integers"
                                        : ": expected SelectRangeEvery(period, length) with two integers");
                return std::nullopt;
            }
            if (trim ? *a < 0 : (*a < 1 || *b < 1)) {
                problem = where + (trim ? ": Trim's first frame cannot be negative"
                                        : ": SelectRangeEvery needs a period and a length of 1 or more");
                return std::nullopt;
            }
            script.steps.push_back({trim ? ScriptStep::Kind::Trim : ScriptStep::Kind::SelectRangeEvery, *a, *b});
        }
    }
    if (!haveSource) {
        problem = "no FFVideoSource(\"PATH\") line naming the source clip";
        return std::nullopt;
    }
    return script;
}

namespace {

// [first, first + count) of the clip the step sees; count stays unknown (-1) for an open end
// on a clip of unknown length.
long long trimCount(const ScriptStep &step, long long frames)
{
    long long last;
    if (step.b > 0)
        last = step.b;
    else if (step.b < 0)
        last = step.a - step.b - 1;
    else
        last = frames < 0 ? -1 : frames - 1;
    if (frames >= 0)
        last = std::min(last, frames - 1);
    if (last < 0 && step.b == 0 && frames < 0)
        return -1;
    return std::max(0LL, last - step.a + 1);
}

} // namespace

long long framesAfter(const std::vector<ScriptStep> &steps, long long frames)
{
    for (const ScriptStep &step : steps) {
        if (step.kind == ScriptStep::Kind::Trim) {
            frames = trimCount(step, frames);
        } else if (frames >= 0) {
            frames = frames / step.a * step.b + std::min(frames % step.a, step.b);
        }
    }
    return frames;
}

namespace {

std::vector<std::string> encoderArguments(int code, int gopLength, int bFrameCount, const std::string &outputPath)
{
    return {"-c:v", "mpeg2video", "-non_linear_quant", "1", "-qscale:v", std::to_string(code), "-qmin", "1", "-qmax",
            "28", "-g", std::to_string(gopLength), "-bf", std::to_string(bFrameCount), "-flags", "+cgop",
            "-sc_threshold", "1000000000", "-f", "mpeg2video", outputPath};
}

// A sample as a prediction writes it, Trim(first, last) then SelectRangeEvery(period, length),
// read as AviSynth reads it: only the frames kept are decoded, each range from a seek of its
// own, instead of every frame of the trimmed clip through a select filter. Empty when the
// script has another form or the ranges are too many for one command.
std::vector<std::string> sampleCommand(const SourceScript &script, const ClipInfo &clip, int code, int gopLength,
                                       int bFrameCount, const std::string &outputPath)
{
    constexpr long long mostRanges = 400;
    if (script.steps.size() != 2 || script.steps[0].kind != ScriptStep::Kind::Trim
        || script.steps[1].kind != ScriptStep::Kind::SelectRangeEvery || clip.rateNum <= 0 || !clip.frames)
        return {};
    const ScriptStep &trim = script.steps[0];
    const ScriptStep &select = script.steps[1];
    const long long frames = trimCount(trim, *clip.frames);
    if (frames <= 0 || (frames + select.a - 1) / select.a > mostRanges)
        return {};
    std::vector<std::string> args = {"-nostdin", "-hide_banner", "-loglevel", "error", "-y"};
    std::string graph;
    std::string joined;
    long long ranges = 0;
    for (long long start = 0; start < frames; start += select.a, ++ranges) {
        const long long first = trim.a + start;
        const long long count = std::min(select.b, frames - start);
        if (first > 0) {
            const double seconds = (double(first) - 0.5) * double(clip.rateDen) / double(clip.rateNum);
            args.insert(args.end(), {"-ss", secondsText(seconds)});
        }
        args.insert(args.end(), {"-i", script.sourcePath});
        graph += cformat("[%lld:v:0]trim=end_frame=%lld,setpts=PTS-STARTPTS[r%lld];", ranges, count, ranges);
        joined += cformat("[r%lld]", ranges);
    }
    graph += joined + cformat("concat=n=%lld:v=1:a=0,setpts=N*%lld/%lld/TB,format=yuv420p[sample]", ranges,
                              clip.rateDen, clip.rateNum);
    args.insert(args.begin(), "ffmpeg");
    args.insert(args.end(), {"-filter_complex", graph, "-map", "[sample]", "-an", "-sn", "-dn"});
    const std::vector<std::string> encoder = encoderArguments(code, gopLength, bFrameCount, outputPath);
    args.insert(args.end(), encoder.begin(), encoder.end());
    return args;
}

} // namespace

std::vector<std::string> encodeCommand(const SourceScript &script, const ClipInfo &clip, int code, int gopLength,
                                       int bFrameCount, const std::string &outputPath)
{
    if (std::vector<std::string> sample = sampleCommand(script, clip, code, gopLength, bFrameCount, outputPath);
        !sample.empty())
        return sample;
    std::vector<std::string> args = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"};
    std::vector<std::string> filters;
    const std::string renumber = cformat("setpts=N*%lld/%lld/TB", clip.rateDen, clip.rateNum);
    std::size_t next = 0;
    long long frames = clip.frames ? *clip.frames : -1;
    if (!script.steps.empty() && script.steps[0].kind == ScriptStep::Kind::Trim && clip.rateNum > 0) {
        const ScriptStep &trim = script.steps[0];
        if (trim.a > 0) {
            const double seconds = (double(trim.a) - 0.5) * double(clip.rateDen) / double(clip.rateNum);
            args.insert(args.end(), {"-ss", secondsText(seconds)});
        }
        frames = trimCount(trim, frames);
        if (frames >= 0)
            filters.push_back(cformat("trim=end_frame=%lld", std::max(0LL, frames)));
        next = 1;
    }
    args.insert(args.end(), {"-i", script.sourcePath, "-map", "0:v:0", "-an", "-sn", "-dn"});
    for (; next < script.steps.size(); ++next) {
        const ScriptStep &step = script.steps[next];
        if (step.kind == ScriptStep::Kind::Trim) {
            const long long count = trimCount(step, frames);
            filters.push_back(count < 0 ? cformat("trim=start_frame=%lld", step.a)
                                        : cformat("trim=start_frame=%lld:end_frame=%lld", step.a, step.a + count));
            filters.push_back(renumber);
            frames = count;
        } else {
            filters.push_back(cformat("select='lt(mod(n,%lld),%lld)'", step.a, step.b));
            filters.push_back(renumber);
            frames = framesAfter({step}, frames);
        }
    }
    filters.push_back("format=yuv420p");
    std::string chain;
    for (const std::string &filter : filters)
        chain += (chain.empty() ? "" : ",") + filter;
    args.insert(args.end(), {"-vf", chain});
    const std::vector<std::string> encoder = encoderArguments(code, gopLength, bFrameCount, outputPath);
    args.insert(args.end(), encoder.begin(), encoder.end());
    return args;
}

std::optional<long long> countPictures(const std::string &path)
{
    std::ifstream in(toFsPath(path), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<char> buffer(1 << 16);
    long long pictures = 0;
    // the last three bytes of the previous block, so a start code across two blocks counts
    std::uint32_t window = 0xFFFFFFFFu;
    while (in) {
        in.read(buffer.data(), std::streamsize(buffer.size()));
        const std::streamsize got = in.gcount();
        for (std::streamsize i = 0; i < got; ++i) {
            window = (window << 8) | static_cast<unsigned char>(buffer[std::size_t(i)]);
            if (window == 0x00000100u)
                ++pictures;
        }
    }
    if (in.bad())
        return std::nullopt;
    return pictures;
}
