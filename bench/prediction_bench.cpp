// The program's own time per trial of OPV prediction: everything a run does besides encoding
// (the prediction folder, the sample scripts and lists, writing the list of every trial, the
// log, measuring the output, the search's arithmetic), driven through the prediction window's
// class as its view drives it. The encoder is replaced by an in-process stand-in that sizes
// the output file as tools/fake-cce's model does (a sparse resize, a few microseconds).

#include "ProjectGenerator.h"
#include "prediction/PredictionDialog.h"
#include "project/Project.h"
#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"

#include "common/TextFile.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;

namespace {

struct Bench {
    fs::path folder;
    Project project;
    FakeDesktop desktop;
    AppSettings settings;

    explicit Bench(const GeneratorOptions &options, const char *name)
    {
        folder = fs::temp_directory_path() / name;
        fs::remove_all(folder);
        std::string inf;
        if (!generateProject(options, fromFsPath(folder), &inf) || !project.load(inf, desktop))
            throw std::runtime_error("cannot generate the project");
        for (Segment &segment : project.segments)
            segment.replanned = !segment.vbrMode;
        settings.ccePath = "stand-in";
        settings.doublePass = true;
    }
    ~Bench() { fs::remove_all(folder); }
};

// One whole run; returns the number of trials.
int predictOnce(Bench &bench)
{
    PredictionDialog dialog(bench.project, bench.settings, fromFsPath(bench.folder), bench.desktop);
    dialog.storesOptions = false;
    if (!dialog.predictClicked())
        return 0;
    int trials = 0;
    for (;;) {
        const PredictionStep step = dialog.nextStep();
        if (step.kind == PredictionStep::Kind::RunEncoder) {
            const EncoderCommand &c = step.encoder;
            const double bytes = c.sampledFrames * 25000.0 * std::pow(22.0 / c.qFactor, 0.8);
            std::ofstream(toFsPath(c.outputPath), std::ios::binary | std::ios::trunc).close();
            fs::resize_file(toFsPath(c.outputPath), std::uintmax_t(bytes));
            dialog.encoderFinished(Desktop::EncoderResult::Finished);
            ++trials;
        } else if (step.kind != PredictionStep::Kind::Log) {
            return trials;
        }
    }
}

void runBench(benchmark::State &state, const GeneratorOptions &options, const char *name)
{
    Bench bench(options, name);
    long long trials = 0;
    for (auto _ : state)
        trials += predictOnce(bench);
    state.counters["trials/run"] = double(trials) / double(state.iterations());
    state.counters["per trial"] = benchmark::Counter(double(trials), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void demoProject(benchmark::State &state)
{
    runBench(state, demoOptions(3), "tavro-prediction-bench-demo");
}

void opvProject200(benchmark::State &state)
{
    GeneratorOptions options = stressOptions(2024, 200, 6);
    options.opvEvery = 1; // every segment OPV
    runBench(state, options, "tavro-prediction-bench-200");
}

} // namespace

BENCHMARK(demoProject)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(opvProject200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
