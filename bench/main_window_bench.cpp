// The main window on the make-project stress project (3000 segments of 6 cells), drawn by Qt
// on the offscreen platform: loading through the Load button until the window is drawn, the
// list of every segment built and drawn, and a change of the selected row. The file load
// alone is timed beside them, so the window's share is the difference.
//
// Targets: the list built and drawn in under 100 ms beyond the file load; a selection change
// in under 16 ms (one frame).

#include "ProjectGenerator.h"
#include "support/FakeDesktop.h"

#include "app/MainWindow.h"
#include "app/MainWindowView.h"
#include "common/TextFile.h"
#include "project/Project.h"
#include "settings/AppSettings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

constexpr int kSegments = 3000;

std::string stressInf()
{
    static const std::string inf = [] {
        const auto folder =
            std::filesystem::temp_directory_path() / ("tavro-window-bench-" + std::to_string(std::rand()));
        GeneratorOptions options = stressOptions(2024, kSegments, 6);
        options.writeScripts = false; // the window reads only the INF and the ECL
        std::string path;
        std::string error;
        if (!generateProject(options, fromFsPath(folder), &path, &error)) {
            std::fprintf(stderr, "cannot generate the project: %s\n", error.c_str());
            std::exit(1);
        }
        return path;
    }();
    return inf;
}

// The window as main() builds it, shown.
struct Window {
    FakeDesktop desktop;
    AppSettings settings;
    Project project;
    MainWindow window{project, desktop, settings};
    MainWindowView view{window};

    Window()
    {
        view.resize(900, 600);
        view.show();
        QApplication::processEvents();
    }
    template <typename W>
    W *widget(MainWindow::Id id) const { return qobject_cast<W *>(view.control(id)); }

    // "&Load RB Settings", the chooser answered with the stress project, then a full redraw.
    bool load()
    {
        desktop.chosenFiles.push_back(stressInf());
        widget<QAbstractButton>(MainWindow::LoadButton)->click();
        view.repaint();
        return project.isLoaded();
    }
};

void fileLoadOnly(benchmark::State &state)
{
    FakeDesktop desktop;
    for (auto _ : state) {
        Project project;
        if (!project.load(stressInf(), desktop)) {
            state.SkipWithError("load failed");
            break;
        }
    }
}

// A first load: "Hide Vob-IDs of insignificant size" is ticked, and only one segment of this
// project is above 0.1 % of it, so the list has one row.
void loadWithHiding(benchmark::State &state)
{
    Window w;
    for (auto _ : state) {
        if (!w.load()) {
            state.SkipWithError("load failed");
            break;
        }
    }
    state.counters["rows"] = w.widget<QListWidget>(MainWindow::SegmentList)->count();
}

// Loading again once the user has cleared "Hide": all 3000 rows built and drawn.
void loadWithEveryRow(benchmark::State &state)
{
    Window w;
    w.load();
    w.widget<QAbstractButton>(MainWindow::HideBox)->click();
    for (auto _ : state) {
        if (!w.load()) {
            state.SkipWithError("load failed");
            break;
        }
    }
    state.counters["rows"] = w.widget<QListWidget>(MainWindow::SegmentList)->count();
}

// Clearing "Hide": the list rebuilt with all 3000 rows and drawn (and ticked again, untimed).
void listEveryRow(benchmark::State &state)
{
    Window w;
    w.load();
    auto *hide = w.widget<QAbstractButton>(MainWindow::HideBox);
    for (auto _ : state) {
        hide->click();
        w.view.repaint();
        state.PauseTiming();
        hide->click();
        w.view.repaint();
        state.ResumeTiming();
    }
}

// A click on another row of the 3000: the segment's figures and controls rendered and drawn.
void selectionChange(benchmark::State &state)
{
    Window w;
    w.load();
    w.widget<QAbstractButton>(MainWindow::HideBox)->click();
    auto *list = w.widget<QListWidget>(MainWindow::SegmentList);
    int row = 0;
    for (auto _ : state) {
        row = row == 0 ? kSegments / 2 : 0;
        list->setCurrentRow(row);
        w.view.repaint();
    }
    if (w.window.currentSegment() != row)
        state.SkipWithError("the selection did not reach the window");
}

} // namespace

BENCHMARK(fileLoadOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(loadWithHiding)->Unit(benchmark::kMillisecond);
BENCHMARK(loadWithEveryRow)->Unit(benchmark::kMillisecond);
BENCHMARK(listEveryRow)->Unit(benchmark::kMillisecond);
BENCHMARK(selectionChange)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code error;
    std::filesystem::remove_all(toFsPath(stressInf()).parent_path(), error);
    return 0;
}
