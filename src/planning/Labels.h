#pragma once

// The texts that name segments and cells in every window, and the windows' number texts: one
// place for each format, with its switch to a wider form where there is one.

#include "project/Project.h"

#include <string>

namespace labels {

// The Vob-ID that names a segment: its first cell's (0 for a segment without cells).
int firstVobId(const Segment &segment);

// Rows of the segment lists of the main window and Link Vob-IDs: "VTS %2d - Vob-ID %3d", or
// "VTS %2d - Vob-ID %4d" for every row once the project has 1000 segments (lastSegmentIndex
// 999 or more), whatever the Vob-ID.
std::string segmentRow(const Project &project, int segmentIndex);
// The prediction window's list of predicted segments: always "VTS %2d - Vob-ID %3d".
std::string predictedSegmentRow(const Segment &segment);
// Tweak Cells' segment field: always "VTS %2d - Vob-ID %4d".
std::string tweakCellsSegmentLabel(const Segment &segment);
// Tweak Cells' rows: "Vob-ID %3d   Cell %4d" of the cell's vobId and subId.
std::string cellRow(const Cell &cell);
// The segment fields of Set Q Factor and Link Vob-IDs (no hyphen in "VobID"):
// "VTS %2d - VobID %2d", or "VTS %2d - VobID %4d" once the project has 100 segments
// (lastSegmentIndex 99 or more). Link Vob-IDs joins the main window's title set with the
// focused segment's Vob-ID, hence the form with both numbers given.
std::string vobIdLabel(const Project &project, int vts, int vobId);
std::string vobIdLabel(const Project &project, const Segment &segment);
// The encoder settings dialogs, the script editor and the prediction log: "VTS %d - VobID %d".
std::string segmentName(const Segment &segment);
// Numbered entries of drop-down lists (passes, script lines): "%2d".
std::string numberRow(int number);

// The main window's status line: "DVD Estimated Size: %d MB  -   RB TargetSectors %d" of the
// disc estimate, or empty for a project without overhead size (nothing to estimate from).
std::string estimateStatusText(const Project &project);
// Global Options' projection at an output percentage: "DVD Estimated Size %d MB" and
// "TargetSectors %d".
std::string projectedSizeText(const Project &project, double percent);
std::string projectedSectorsText(const Project &project, double percent);

// Numbers as the windows show them, in the general format whatever the locale: 32-bit
// figures with 6 significant digits, 64-bit ones with 15.
std::string floatText(float value);
std::string doubleText(double value);

} // namespace labels
