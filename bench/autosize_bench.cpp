// Times the automatic distribution on stress-sized projects: 3000 segments of 6 cells (1x)
// and four times that (4x).
//
// autosizeAfterBitrate: what the user does most, a typed segment bitrate. One segment is
// unticked and its average raised by 500 kbit/s, then autosize runs. On a project this large
// one segment is a few thousandths of a percent of the total, inside the 0.02 % tolerance, so
// this measures the check that ends autosize at once.
//
// autosizeAfterOutputPercent: the output size set to 95 % (Global Options), which makes every
// autosized segment move: this measures full distribution rounds. It runs with hiding off:
// at 4x a segment averages under 0.01 % of the total, and hiding would leave most of them out,
// so the sizes would not do the same work per cell.
//
// Only autosize is timed; copying the project and the change before it are not.

#include "planning/Planning.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

// A fixed pseudo-random sequence, so every run plans the same project.
class Sequence {
public:
    int next(int low, int high)
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return low + int((m_state >> 33) % std::uint64_t(high - low + 1));
    }

private:
    std::uint64_t m_state = 42;
};

Project stressProject(int segments, int cellsPerSegment)
{
    Sequence random;
    Project project;
    project.segments.reserve(std::size_t(segments));
    for (int s = 0; s < segments; ++s) {
        Segment &segment = project.segments.emplace_back();
        const int vts = 1 + s * 99 / segments;
        for (int c = 0; c < cellsPerSegment; ++c) {
            // About one cell in twelve is a short one that planning leaves alone.
            const int frames = random.next(0, 11) == 0 ? random.next(1, 10) : random.next(200, 3000);
            Cell &cell = segment.addCell(vts, 1, s + 1, c + 1, random.next(2500, 8000), frames, 25.0);
            cell.loadedReduction = float(random.next(3500, 7500)) / 100.0f;
            cell.significant = frames > 10;
            segment.significantCells += cell.significant ? 1 : 0;
        }
    }
    project.initialTotalSize = project.targetTotalSize = project.currentTotalSize();
    return project;
}

enum class Change { Bitrate, OutputPercent };

void timeAutosize(benchmark::State &state, Change change)
{
    const int segments = 3000 * int(state.range(0));
    const int cellsPerSegment = 6;
    const Project loaded = stressProject(segments, cellsPerSegment);
    Project project;
    for (auto _ : state) {
        state.PauseTiming();
        project = loaded;
        if (change == Change::Bitrate) {
            Segment &fixed = project.segment(segments / 2);
            fixed.autosized = false;
            fixed.setAverageBitrate(fixed.averageBitrate() + 500);
        } else {
            project.setOutputSizePercent(95.0);
        }
        state.ResumeTiming();

        project.autosize(change == Change::Bitrate);
        benchmark::DoNotOptimize(project.currentTotalSize());
    }
    int replanned = 0;
    for (const Segment &segment : project.segments)
        replanned += segment.replanned ? 1 : 0;
    state.counters["replanned"] = double(replanned);
    const std::int64_t cells = std::int64_t(segments) * cellsPerSegment;
    state.SetComplexityN(cells);
    state.counters["cells"] = double(cells);
    state.counters["ns_per_cell"] = benchmark::Counter(double(cells), benchmark::Counter::kIsIterationInvariantRate
                                                                          | benchmark::Counter::kInvert);
    // Where the round ended: how far from the target, in percent.
    state.counters["off_target_pct"] =
        double(project.currentTotalSize() - project.targetTotalSize) * 100.0 / double(project.targetTotalSize);
}

void autosizeAfterBitrate(benchmark::State &state)
{
    timeAutosize(state, Change::Bitrate);
}

void autosizeAfterOutputPercent(benchmark::State &state)
{
    timeAutosize(state, Change::OutputPercent);
}

} // namespace

BENCHMARK(autosizeAfterBitrate)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(autosizeAfterOutputPercent)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

BENCHMARK_MAIN();
