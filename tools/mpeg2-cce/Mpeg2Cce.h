#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// mpeg2-cce: a stand-in for the CCE encoder that really encodes, with ffmpeg's MPEG-2 video
// encoder at a fixed quantiser, so that Q factor searches can be measured against a real
// encoder's size curve. It takes CCE's command line (-ecl LIST -batch) and of the list only
// what a fixed-quantiser encode needs.

// One item of an encoding list. Numbers are absent when their key is missing or unreadable.
struct ListItem {
    std::string title;                // "title=" value, for messages
    std::string scriptPath;           // "name="
    std::string outputPath;           // "vid_file0="
    std::optional<long long> qFactor; // "opv_q_factor="
    std::optional<long long> gopLength;  // "gop_hdr=": pictures per GOP
    std::optional<long long> gopAnchors; // "gop_nm=": I and P pictures per GOP
    long long firstLine = 0;          // 1-based line of the item in the list
};

// Items start at "[item]" lines; lines before the first one form an item of their own. Items
// without any of the keys above (an empty heading, say) are left out. CR before LF is ignored.
std::vector<ListItem> parseList(const std::vector<std::string> &lines);

// The Q factor (1 or more) chooses MPEG-2's non-linear quantiser scale (q_scale_type 1), whose
// 28 codes that ffmpeg encodes with give the quantiser values 1-8, 10-24 in steps of 2, 28-56 in
// steps of 4, 64, 72, 80 and 88. The value used is the largest one not above Q^0.6, that is with
// value^5 <= Q^3: so Q 1-3 give value 1, Q 4-6 value 2, ..., Q 1599-1744 value 80, and every Q from
// 1745 up value 88 (quantiserTable() lists the ranges). Higher Q, coarser quantiser, smaller encode,
// as in CCE; the power makes the size fall with Q about as steeply as the Q factor search's
// correction step expects. From quantiser 10 up one code is 8 to 20 % coarser than the last.
int quantiserCode(long long qFactor);
int quantiserValue(int code);
// "Q 1-3: code 1 (quantiser 1)" lines, one per code, for the documentation.
std::vector<std::string> quantiserTable();

// B pictures between anchors: gop_hdr / gop_nm - 1 (2 for DVD's 15/5 and 12/4), kept inside the
// GOP; 2 when gop_nm= is missing.
int bFrames(long long gopLength, std::optional<long long> gopAnchors);

// What a script asks of its source clip. The one source line understood is
//     FFVideoSource("PATH")
// (the function name in any letter case; further arguments after the path are ignored; a relative
// PATH is taken from the script's folder). Of the other lines only Trim(first, last) and
// SelectRangeEvery(period, length) count, in their order; everything else is ignored.
struct ScriptStep {
    enum class Kind { Trim, SelectRangeEvery };
    Kind kind = Kind::Trim;
    long long a = 0; // Trim: first frame; SelectRangeEvery: period
    long long b = 0; // Trim: last frame (0 = to the end, negative = a frame count); SelectRangeEvery: length
};

struct SourceScript {
    std::string sourcePath;
    std::vector<ScriptStep> steps;
};

// Nothing, with `problem` set, when the script has no source line, two of them, or a Trim or
// SelectRangeEvery line whose arguments are not two integers (or not sensible ones).
std::optional<SourceScript> parseScript(const std::vector<std::string> &lines, const std::string &scriptFolder,
                                        std::string &problem);

// Frames the steps leave of a clip of `frames` frames, counted as AviSynth counts them.
long long framesAfter(const std::vector<ScriptStep> &steps, long long frames);

struct ClipInfo {
    int width = 0;
    int height = 0;
    long long rateNum = 0;           // frames per second as a fraction
    long long rateDen = 1;
    std::optional<long long> frames; // when the container says
};

// The ffmpeg command that encodes `script` from `clip` into `outputPath`. A first Trim becomes
// a seek on the input (half a frame early, so the first frame kept is exactly the one named),
// everything later becomes trim and select filters.
std::vector<std::string> encodeCommand(const SourceScript &script, const ClipInfo &clip, int code, int gopLength,
                                       int bFrameCount, const std::string &outputPath);

// Picture start codes (00 00 01 00) in an MPEG-2 video stream; nothing when it cannot be read.
std::optional<long long> countPictures(const std::string &path);
