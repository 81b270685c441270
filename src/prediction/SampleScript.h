#pragma once

#include <optional>
#include <string>

class Desktop;
class Project;

// The numbers of one sample: short runs of frames spread evenly over the segment, together
// a chosen share of it. All in frames.
struct SamplePlan {
    int trim = 0;           // T: cut at each end of the segment
    int available = 0;      // A: left to sample from, after the trim and the offset
    int rangeLength = 0;    // L: frames in one sampled run (GOP length x GOPs per range)
    int period = 0;         // P: a run starts every P frames
    int sampled = 0;        // N: frames the sample script yields
    int titleSetOffset = 0; // O: frames of the title set before this segment
};

// What the user chose for sampling (the prediction window's options).
struct SampleOptions {
    double sampleSize = 1.0; // percent of the segment, 0.1..100
    int gopsPerRange = 1;    // 1..9999
};

// The plan alone, for a segment of `frames` frames with GOPs of `gopLength` frames.
// `rangeOffset` (frames skipped before the first run; 0 for a first pass) is pulled back when
// it leaves no room for a run. Nothing when no sample can be taken: a GOP length or range of
// 0 or less, or a sample size that gives no sampling period; `problem` then says why, as a
// line for the log.
std::optional<SamplePlan> planSample(long long frames, int gopLength, const SampleOptions &options,
                                     long long titleSetOffset, int &rangeOffset, std::string &problem);

// Writes the sample script of segment `segmentIndex` to `samplePath`: the segment's first-cell
// script without its "Trim(" lines, then the program's own Trim and SelectRangeEvery lines.
// On success `rangeOffset` holds where a second pass starts (half a period on). Nothing on
// failure: a file that cannot be opened has been reported through the desktop, a sample that
// cannot be taken is described in `problem`.
std::optional<SamplePlan> writeSampleScript(const Project &project, int segmentIndex, const SampleOptions &options,
                                            const std::string &samplePath, int &rangeOffset, Desktop &desktop,
                                            std::string &problem);
