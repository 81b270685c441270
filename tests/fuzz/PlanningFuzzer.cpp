// The planning rules driven by arbitrary user actions on arbitrary projects: whatever is typed,
// dragged, tweaked or linked, no operation crashes, overflows or loops, and the model keeps
// agreeing with itself.
//
// The first byte picks the project: one of a few make-project projects, or one built from the
// input within the bounds the readers accept (so every project here could have been loaded).
// The rest is a list of operations.

#include "FuzzSupport.h"

#include "ProjectGenerator.h"
#include "common/Format.h"
#include "planning/Linking.h"
#include "planning/Planning.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

std::vector<Project> &generatedProjects()
{
    static std::vector<Project> projects;
    return projects;
}

void loadGenerated(const GeneratorOptions &options, const char *name)
{
    std::string inf;
    std::string error;
    const std::string folder = fuzz::scratchFile(name);
    if (!generateProject(options, folder, &inf, &error))
        fuzz::fail(std::string("make-project failed: ") + error);
    Project project;
    fuzz::QuietDesktop desktop;
    if (!project.load(inf, desktop))
        fuzz::fail("a make-project project does not load: " + desktop.lastMessage());
    generatedProjects().push_back(std::move(project));
}

// The readers' bounds: frames 0 to 100 000 000, bitrates 0 to 1 000 000 kbit/s, any finite
// reduction from 0 up, frame-rate codes 1 to 5.
Project buildProject(FuzzedDataProvider &in)
{
    static constexpr double rates[] = {23.976, 24.0, 25.0, 29.97, 30.0};
    Project project;
    const int segments = in.ConsumeIntegralInRange(1, 8);
    int vobId = 1;
    for (int s = 0; s < segments; ++s) {
        Segment &segment = project.segments.emplace_back();
        const int vts = in.ConsumeIntegralInRange(1, 3);
        const int cells = in.ConsumeIntegralInRange(1, 6);
        const double fps = rates[in.ConsumeIntegralInRange(0, 4)];
        segment.vbrMode = in.ConsumeBool();
        for (int c = 0; c < cells; ++c) {
            int frames = 0;
            switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0: frames = in.ConsumeIntegralInRange(0, 10); break;
            case 1: frames = in.ConsumeIntegralInRange(11, 200000); break;
            case 2: frames = in.ConsumeIntegralInRange(0, 100'000'000); break;
            default: frames = 100'000'000; break;
            }
            int bitrate = 0;
            switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0: bitrate = in.ConsumeIntegralInRange(0, 600); break;
            case 1: bitrate = in.ConsumeIntegralInRange(500, 12000); break;
            case 2: bitrate = in.ConsumeIntegralInRange(0, 1'000'000); break;
            default: bitrate = 1'000'000; break;
            }
            float reduction = 0.0f;
            switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0: reduction = float(in.ConsumeIntegralInRange(0, 1000)) / 10.0f; break;
            case 1: reduction = in.ConsumeFloatingPointInRange(0.0f, 1.0f); break;
            case 2: reduction = in.ConsumeFloatingPointInRange(100.0f, 1e6f); break;
            default: reduction = in.ConsumeFloatingPointInRange(0.0f, 3.0e38f); break;
            }
            Cell &cell = segment.addCell(vts, 1, vobId, c + 1, bitrate, frames, fps);
            cell.loadedReduction = reduction;
            cell.significant = frames > 10;
            segment.significantCells += cell.significant ? 1 : 0;
        }
        ++vobId;
    }
    project.initialTotalSize = project.targetTotalSize = project.currentTotalSize();
    project.overheadSize = in.ConsumeIntegralInRange<std::int64_t>(-1'000'000, 1'000'000);
    return project;
}

int pickSegment(FuzzedDataProvider &in, const Project &project)
{
    return in.ConsumeIntegralInRange(0, project.lastSegmentIndex());
}

// A bitrate as a user could type it: usually a plausible one, sometimes anything.
int pickBitrate(FuzzedDataProvider &in)
{
    return in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 15000) : in.ConsumeIntegral<int>();
}

double pickPercent(FuzzedDataProvider &in)
{
    return in.ConsumeBool() ? in.ConsumeFloatingPointInRange(0.0, 200.0) : in.ConsumeFloatingPoint<double>();
}

// Global Options offers 95 to 105 %, tavro-cli 1 to 200 %.
double pickOutputPercent(FuzzedDataProvider &in)
{
    return in.ConsumeFloatingPointInRange(0.0, 200.0);
}

volatile std::uint64_t sink;

// Everything the windows show, for every segment and cell. (Summed without overflow into a
// sink so that none of it is optimised away.)
void readFigures(const Project &project, bool hide)
{
    std::uint64_t sum = 0;
    auto add = [&sum](auto value) { sum += std::uint64_t(std::int64_t(value)); };
    add(planning::estimatedSectors(project));
    add(planning::estimatedMegabytes(project));
    add(planning::projectedSectors(project, 100.0));
    add(planning::projectedMegabytes(project, 57.5));
    add(planning::totalVideoSizePercent(project) > 100.0f);
    add(planning::outputSizePercent(project) > 100.0);
    for (const Segment &segment : project.segments) {
        const planning::SliderRange range = planning::segmentSliderRange(segment);
        const int position = range.position(segment.reductionPercent());
        fuzz::require(position >= 0 && position <= planning::sliderPositions, "slider outside its range");
        add(position);
        add(segment.averageBitrate());
        add(segment.loadedAverageBitrate());
        add(segment.sizeSectors());
        add(planning::videoSizePercent(project, segment) > 1.0f);
        add(planning::isListed(project, segment, hide));
        add(planning::isSmallSegment(segment));
        add(segment.durationText().size());
        for (int c = 0; c < segment.cellCount(); ++c) {
            const planning::SliderRange cellRange = planning::cellSliderRange(segment, c);
            const Cell &cell = segment.cells[std::size_t(c)];
            add(cellRange.position(cell.reduction()));
            add(cell.sizeSectors());
            add(cellRange.reduction(planning::sliderPositions / 2) > 0.0);
        }
    }
    sink = sum;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    loadGenerated(demoOptions(1), "demo-1");
    GeneratorOptions sp = demoOptions(2);
    sp.cceType = 0;
    sp.decimalComma = true;
    loadGenerated(sp, "demo-2");
    GeneratorOptions stress = stressOptions(3, 40, 4);
    stress.writeScripts = false;
    loadGenerated(stress, "stress-3");
    fuzz::clearScratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const int source = in.ConsumeIntegralInRange(0, int(generatedProjects().size()));
    Project project = source < int(generatedProjects().size()) ? generatedProjects()[std::size_t(source)]
                                                                 : buildProject(in);
    fuzz::checkModel(project, "start");

    for (int step = 0; step < 64 && in.remaining_bytes() > 0 && project.isLoaded(); ++step) {
        const bool hide = in.ConsumeBool();
        switch (in.ConsumeIntegralInRange(0, 10)) {
        case 0: { // a typed average bitrate, as the main window passes it
            Segment &segment = project.segment(pickSegment(in, project));
            segment.autosized = false;
            segment.setAverageBitrate(pickBitrate(in));
            project.autosize(hide);
            break;
        }
        case 1: { // the reduction slider or box
            Segment &segment = project.segment(pickSegment(in, project));
            segment.autosized = false;
            segment.setReductionPercent(pickPercent(in));
            project.autosize(hide);
            break;
        }
        case 2: { // Tweak Cells, with the room the project has left
            Segment &segment = project.segment(pickSegment(in, project));
            const int cell = in.ConsumeIntegralInRange(0, segment.cellCount() - 1);
            segment.cells[std::size_t(cell)].tweaked = true;
            segment.tweakCell(cell, pickBitrate(in), project.targetTotalSize - project.currentTotalSize());
            break;
        }
        case 3:
            project.autosize(hide);
            break;
        case 4:
            project.distributeOnce(hide);
            break;
        case 5: // Global Options
            project.setOutputSizePercent(pickOutputPercent(in));
            project.autosize(hide);
            break;
        case 6:
            project.mergeSegments(pickSegment(in, project), pickSegment(in, project));
            break;
        case 7:
            project.resetBitrates();
            break;
        case 8: { // Link Vob-IDs
            const int current = pickSegment(in, project);
            std::vector<int> offered = planning::linkableSegments(project, current, hide);
            if (in.ConsumeBool()) {
                planning::linkAllInTitleSet(project, planning::linkTitleSet(project.segment(current)), hide);
            } else {
                std::vector<int> chosen;
                for (int index : offered)
                    if (in.ConsumeBool())
                        chosen.push_back(index);
                planning::linkSegments(project, chosen);
            }
            project.autosize(hide);
            break;
        }
        case 9: {
            Segment &segment = project.segment(pickSegment(in, project));
            segment.autosized = !segment.autosized;
            project.autosize(hide);
            break;
        }
        default:
            readFigures(project, hide);
            break;
        }
        fuzz::checkModel(project, cformat("after step %d", step).c_str());
    }
    readFigures(project, false);
    return 0;
}
