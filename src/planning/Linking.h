#pragma once

#include "project/Project.h"

#include <vector>

// Which segments Link Vob-IDs offers and in which order it merges them, shared by the dialog
// and tavro-cli.

namespace planning {

// The title set a segment belongs to for linking: its first cell's.
int linkTitleSet(const Segment &segment);

// The segments of `currentSegment`'s title set that are listed under the hide switch, in index
// order. Fewer than two means there is nothing to link.
std::vector<int> linkableSegments(const Project &project, int currentSegment, bool hideInsignificant);

// "Link selected": all the given segments end in the lowest of them, cells in index order.
// Each later segment goes into the one before it, from the last pair down, so the indices still
// to be used are not shifted by the removals. Duplicates are ignored; fewer than two distinct
// segments link nothing.
void linkSegments(Project &project, std::vector<int> segmentIndices);

// "Link all in this VTS": every listed segment of the title set ends in the first of them.
void linkAllInTitleSet(Project &project, int titleSet, bool hideInsignificant);

} // namespace planning
