#include "prediction/SampleScript.h"

#include "platform/PathMapper.h"
#include "common/Format.h"
#include "common/TextFile.h"
#include "planning/Truncate.h"
#include "platform/Desktop.h"
#include "project/Project.h"
#include "scripts/Preview.h"

#include <algorithm>
#include <climits>
#include <cmath>

using planning::detail::truncateToLong;

std::optional<SamplePlan> planSample(long long frames, int gopLength, const SampleOptions &options,
                                     long long titleSetOffset, int &rangeOffset, std::string &problem)
{
    const long long F = frames;
    const long long L = (long long)gopLength * options.gopsPerRange;
    const double S = options.sampleSize;
    if (F <= 0 || F > INT_MAX) {
        problem = "*** Cannot predict: the segment has no frames to sample";
        return std::nullopt;
    }
    // A GOP length of 0 (no "gop_hdr=" in the list) would give runs of no frames and a period
    // of 0, which nothing can be divided by.
    if (L <= 0 || L > INT_MAX) {
        problem = cformat("*** Cannot predict: GOPs of %d frames cannot be sampled", gopLength);
        return std::nullopt;
    }
    if (!(S > 0.0 && S <= 100.0)) {
        problem = "*** Cannot predict: a sample size of " + formatGeneral(S, 6) + "% gives no sampling period";
        return std::nullopt;
    }

    long long T = truncateToLong((100.0 - S) * double(F) * 0.00001);
    long long A = F - 2 * T;
    if (A < L) {
        T = 0;
        A = F;
    }
    long long offset = rangeOffset;
    if (A - offset < L)
        offset = A > L ? A - L : 0;
    A -= offset;
    const long long P = truncateToLong(std::floor(double(L * 100) / ((double(F) / double(A)) * S)));
    if (P <= 0 || P > INT_MAX) {
        problem = "*** Cannot predict: a sample size of " + formatGeneral(S, 6) + "% gives no sampling period";
        return std::nullopt;
    }
    const long long N = (A / P) * L + std::min(A % P, L);

    SamplePlan plan;
    plan.trim = int(T);
    plan.available = int(A);
    plan.rangeLength = int(L);
    plan.period = int(P);
    plan.sampled = int(N);
    plan.titleSetOffset = int(std::min<long long>(titleSetOffset, INT_MAX));
    rangeOffset = int(offset);
    return plan;
}

std::optional<SamplePlan> writeSampleScript(const Project &project, int segmentIndex, const SampleOptions &options,
                                            const std::string &samplePath, int &rangeOffset, Desktop &desktop,
                                            std::string &problem)
{
    const Segment &segment = project.segment(segmentIndex);
    if (segment.cells.empty()) {
        problem = "*** Cannot predict: the segment has no frames to sample";
        return std::nullopt;
    }
    // The segment's script numbers the frames of its whole title set.
    long long titleSetOffset = 0;
    for (int i = 0; i < segmentIndex; ++i) {
        if (project.segment(i).vts == segment.vts)
            titleSetOffset += project.segment(i).frameSum();
    }
    const long long F = segment.frameSum();
    int offset = rangeOffset;
    const std::optional<SamplePlan> plan =
        planSample(F, segment.settings.gopHeader, options, titleSetOffset, offset, problem);
    if (!plan)
        return std::nullopt;

    const std::string &source = segment.cells.front().name;
    LineReader in;
    // The project names the script as DVD-Rebuilder saw it; under Wine that is a Windows path.
    if (!in.open(hostPath(source))) {
        desktop.showMessage(cformat("Could not open '%s' for reading", source.c_str()), Desktop::Icon::Error);
        return std::nullopt;
    }
    LineWriter out;
    if (!out.open(samplePath, false)) {
        desktop.showMessage(cformat("Could not open '%s' for writing", samplePath.c_str()), Desktop::Icon::Error);
        return std::nullopt;
    }
    // The segment's own frames are picked out by the Trim line below; the script's own Trim
    // lines would pick them again from the wrong numbering. Only a line that starts with
    // "Trim(" counts, as it always has.
    std::string line;
    while (in.next(line)) {
        if (!isTrimLine(line))
            out.writeLine(line);
    }
    if (in.failed()) {
        desktop.showMessage(cformat("Could not open '%s' for reading", source.c_str()), Desktop::Icon::Error);
        return std::nullopt;
    }

    const SamplePlan &p = *plan;
    const long long O = p.titleSetOffset;
    out.writeLine(cformat("# Frames: %lld", F));
    if (p.trim > 0) {
        out.writeLine(cformat("Trim(%lld, %lld)", offset + O + p.trim, O + F - p.trim - 1));
        out.writeLine(cformat("# Frames after trim: %d", p.available));
    }
    out.writeLine(cformat("SelectRangeEvery(%d, %d)", p.period, p.rangeLength));
    out.writeLine(cformat("# Frames sampled: %d", p.sampled));
    if (!out.commit()) {
        desktop.showMessage(cformat("Could not open '%s' for writing", samplePath.c_str()), Desktop::Icon::Error);
        return std::nullopt;
    }
    // A second pass of the same segment starts its runs half a period later.
    rangeOffset = offset == 0 ? p.period / 2 : offset;
    return plan;
}
