#pragma once

#include "project/Project.h"

#include <cstdint>

// Figures and constants of bitrate planning shared by the windows and tavro-cli.
// The operations that change bitrates are members of Segment and Project (Project.h).

namespace planning {

constexpr int bitrateFloor = 500;              // kbit/s
constexpr int sliderPositions = 10000;         // positions 0..10000
constexpr double oversizeThreshold = 100.09;   // "Total Video Size %" above this asks before saving
constexpr std::int64_t smallSegmentFrames = 3050; // OPV is offered for segments of at most this many frames
constexpr int autosizeIterations = 20;

// Maps a reduction onto the 10001 positions of a reduction slider and back.
struct SliderRange {
    double sliderMin = 0.0;
    double sliderMax = 100.0;

    int position(double reduction) const;
    double reduction(int position) const;
};

// Main window: floor(minReductionPercent) .. 100.
SliderRange segmentSliderRange(const Segment &segment);
// Tweak Cells: the cell's minReduction .. maxCellReduction.
SliderRange cellSliderRange(const Segment &segment, int cellIndex);

// "Total Video Size %": currentTotalSize / initialTotalSize x 100 (0 without a project).
float totalVideoSizePercent(const Project &project);
// "Vob-ID Video size %" as shown: size / targetTotalSize x 100, below 0.01 shown as 0.
float videoSizePercent(const Project &project, const Segment &segment);
// targetTotalSize / initialTotalSize x 100.
double outputSizePercent(const Project &project);
// Disc estimate: totalSizeSectors + overheadSize, and its megabytes.
std::int64_t estimatedSectors(const Project &project);
std::int64_t estimatedMegabytes(const Project &project);
// Disc projection at output percent P (Global Options).
std::int64_t projectedSectors(const Project &project, double percent);
std::int64_t projectedMegabytes(const Project &project, double percent);

// Listed in the segment lists: hiding is off, or size / targetTotalSize x 100 > 0.1.
bool isListed(const Project &project, const Segment &segment, bool hideInsignificant);
// Few enough frames that OPV is offered even when "Enable OPV for small Vob-IDs" is off.
bool isSmallSegment(const Segment &segment);

} // namespace planning
