// Times Project::load and Project::save on make-project stress projects of 3000, 6000 and 12000
// segments of 6 cells. Both should grow linearly with the project, and the 3000-segment project
// should load and save in under half a second each.

#include "ProjectGenerator.h"
#include "support/FakeDesktop.h"

#include "common/TextFile.h"
#include "platform/Desktop.h"
#include "project/Project.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace {

constexpr int kCellsPerSegment = 6;

// One generated project per size, made on first use and removed when the program ends.
class Projects {
public:
    ~Projects()
    {
        std::error_code error;
        for (const auto &[segments, inf] : m_infs)
            std::filesystem::remove_all(toFsPath(inf).parent_path(), error);
    }

    const std::string &inf(int segments)
    {
        auto found = m_infs.find(segments);
        if (found != m_infs.end())
            return found->second;
        const auto folder = std::filesystem::temp_directory_path() /
                            ("tavro-bench-" + std::to_string(segments) + "-" + std::to_string(std::rand()));
        GeneratorOptions options = stressOptions(2024, segments, kCellsPerSegment);
        options.writeScripts = false; // load and save read only the INF and the ECL
        std::string inf;
        std::string error;
        if (!generateProject(options, fromFsPath(folder), &inf, &error)) {
            std::fprintf(stderr, "cannot generate the project: %s\n", error.c_str());
            std::exit(1);
        }
        return m_infs.emplace(segments, inf).first->second;
    }

private:
    std::map<int, std::string> m_infs;
};

Projects projects;

void loadProject(benchmark::State &state)
{
    const int segments = int(state.range(0));
    const std::string &inf = projects.inf(segments);
    FakeDesktop desktop; // load and save ask nothing of a sound project
    for (auto _ : state) {
        Project project;
        if (!project.load(inf, desktop)) {
            state.SkipWithError(("load failed: " + desktop.lastMessage()).c_str());
            break;
        }
        benchmark::DoNotOptimize(project.segments.data());
    }
    state.SetComplexityN(segments);
    state.counters["cells"] = double(segments * kCellsPerSegment);
}

void saveProject(benchmark::State &state)
{
    const int segments = int(state.range(0));
    const std::string &inf = projects.inf(segments);
    FakeDesktop desktop; // load and save ask nothing of a sound project
    Project project;
    if (!project.load(inf, desktop)) {
        state.SkipWithError(("load failed: " + desktop.lastMessage()).c_str());
        return;
    }
    // nothing replanned: the save goes straight to the two files
    for (Segment &segment : project.segments)
        segment.replanned = false;
    for (auto _ : state) {
        if (!project.save(desktop, [] { return true; })) {
            state.SkipWithError(("save failed: " + desktop.lastMessage()).c_str());
            break;
        }
    }
    state.SetComplexityN(segments);
    state.counters["cells"] = double(segments * kCellsPerSegment);
}

} // namespace

BENCHMARK(loadProject)->Arg(3000)->Arg(6000)->Arg(12000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(saveProject)->Arg(3000)->Arg(6000)->Arg(12000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

BENCHMARK_MAIN();
