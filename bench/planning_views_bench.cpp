// Times opening and closing Tweak Cells and Link Vob-IDs from the main window on the
// 3000-segment make-project stress project, offscreen, on its largest segment.
//
// One iteration is what the user waits for: the button press until the window is shown and
// painted ("open"), then its closing button until the main window has done what follows the
// window and is back ("close": for Tweak Cells automatic distribution and the refresh, for
// Link Vob-IDs the rebuilt list of 3000 rows). Hiding is off, as it must be for a list of
// 3000 segments that each weigh far less than 0.1 % of the project.

#include "ProjectGenerator.h"
#include "support/FakeDesktop.h"

#include "app/MainWindowView.h"
#include "common/TextFile.h"
#include "planning/LinkVobIdsDialog.h"
#include "planning/TweakCellsDialog.h"
#include "settings/AppSettings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSegments = 3000;
constexpr int kCellsPerSegment = 6;

// The stress project loaded into the real main window, made on first use.
struct Loaded {
    std::filesystem::path folder;
    FakeDesktop desktop;
    AppSettings settings;
    Project project;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MainWindowView> view;
    int largest = -1; // the VBR segment of the most frames

    Loaded()
    {
        folder = std::filesystem::temp_directory_path() / ("tavro-views-bench-" + std::to_string(std::rand()));
        GeneratorOptions options = stressOptions(2024, kSegments, kCellsPerSegment);
        options.writeScripts = false; // the windows read only the project
        std::string inf;
        std::string error;
        if (!generateProject(options, fromFsPath(folder), &inf, &error)) {
            std::fprintf(stderr, "cannot generate the project: %s\n", error.c_str());
            std::exit(1);
        }
        window = std::make_unique<MainWindow>(project, desktop, settings, fromFsPath(folder));
        view = std::make_unique<MainWindowView>(*window);
        view->show();
        desktop.chosenFiles.push_back(inf);
        button(MainWindow::LoadButton)->click();
        // A segment of a project this large is far below the 0.1 % under which the lists hide
        // it: with hiding on, the main window would list almost nothing.
        button(MainWindow::HideBox)->click();
        for (int i = 0; i <= project.lastSegmentIndex(); ++i) {
            const Segment &segment = project.segment(i);
            if (segment.vbrMode && (largest < 0 || segment.frameSum() > project.segment(largest).frameSum()))
                largest = i;
        }
        selectLargest();
        // Tweak Cells opens on a segment the user plans by hand.
        button(MainWindow::AutosizedBox)->click();
        if (window->currentSegment() != largest || !window->isEnabled(MainWindow::TweakCellsButton)
            || !window->isEnabled(MainWindow::LinkButton)) {
            std::fprintf(stderr, "the largest segment cannot open both windows\n");
            std::exit(1);
        }
    }
    ~Loaded()
    {
        view.reset();
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }

    // The main window selects its first row again when it rebuilds its list.
    void selectLargest() const
    {
        qobject_cast<QListWidget *>(view->control(MainWindow::SegmentList))->setCurrentRow(window->rowOf(largest));
    }
    QAbstractButton *button(MainWindow::Id id) const { return qobject_cast<QAbstractButton *>(view->control(id)); }
};

Loaded &loaded()
{
    static Loaded instance;
    return instance;
}

// Presses `opener`, waits for the window's first paint, then presses its control `closer`.
void openAndClose(benchmark::State &state, MainWindow::Id opener, int closer)
{
    Loaded &l = loaded();
    double openSeconds = 0;
    double closeSeconds = 0;
    for (auto _ : state) {
        l.selectLargest();
        if (l.window->currentSegment() != l.largest) {
            state.SkipWithError("the largest segment is not selected");
            break;
        }
        const Clock::time_point start = Clock::now();
        Clock::time_point shown;
        setChildDialogDriver([&](QDialog &child) {
            child.repaint(); // the first paint is part of opening
            shown = Clock::now();
            qobject_cast<QAbstractButton *>(child.findChild<QWidget *>(QString("id%1").arg(closer)))->click();
        });
        l.button(opener)->click();
        const Clock::time_point end = Clock::now();
        setChildDialogDriver({});
        if (shown == Clock::time_point()) {
            state.SkipWithError("the window did not open");
            break;
        }
        openSeconds += std::chrono::duration<double>(shown - start).count();
        closeSeconds += std::chrono::duration<double>(end - shown).count();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.counters["open_ms"] = benchmark::Counter(openSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["close_ms"] = benchmark::Counter(closeSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["cells"] = double(l.project.segment(l.largest).cellCount());
}

void tweakCells(benchmark::State &state)
{
    openAndClose(state, MainWindow::TweakCellsButton, TweakCellsDialog::ApplyButton);
}

void linkVobIds(benchmark::State &state)
{
    openAndClose(state, MainWindow::LinkButton, LinkVobIdsDialog::CancelButton);
    Loaded &l = loaded();
    state.counters["rows"] = double(LinkVobIdsDialog(l.project, l.largest, l.window->hideInsignificant(), l.desktop,
                                                     l.settings, fromFsPath(l.folder))
                                        .controls()
                                        .at(LinkVobIdsDialog::SegmentList)
                                        .rows.size());
}

BENCHMARK(tweakCells)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(linkVobIds)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char *argv[])
{
    // Drawn offscreen unless a platform is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
