#include "planning/Linking.h"
#include "planning/Planning.h"

#include <algorithm>

namespace planning {

int linkTitleSet(const Segment &segment)
{
    return segment.cells.empty() ? segment.vts : segment.cells.front().vts;
}

namespace {

std::vector<int> listedInTitleSet(const Project &project, int titleSet, bool hideInsignificant)
{
    std::vector<int> indices;
    for (int index = 0; index <= project.lastSegmentIndex(); ++index) {
        const Segment &segment = project.segment(index);
        if (linkTitleSet(segment) == titleSet && isListed(project, segment, hideInsignificant))
            indices.push_back(index);
    }
    return indices;
}

} // namespace

std::vector<int> linkableSegments(const Project &project, int currentSegment, bool hideInsignificant)
{
    if (currentSegment < 0 || currentSegment > project.lastSegmentIndex())
        return {};
    return listedInTitleSet(project, linkTitleSet(project.segment(currentSegment)), hideInsignificant);
}

void linkSegments(Project &project, std::vector<int> segmentIndices)
{
    std::sort(segmentIndices.begin(), segmentIndices.end());
    segmentIndices.erase(std::unique(segmentIndices.begin(), segmentIndices.end()), segmentIndices.end());
    for (int index : segmentIndices)
        if (index < 0 || index > project.lastSegmentIndex())
            return;
    for (std::size_t k = segmentIndices.size(); k >= 2; --k)
        project.mergeSegments(segmentIndices[k - 2], segmentIndices[k - 1]);
}

void linkAllInTitleSet(Project &project, int titleSet, bool hideInsignificant)
{
    // A merge changes sizes, and with them what is listed, so the list is taken again each time.
    for (;;) {
        const std::vector<int> listed = listedInTitleSet(project, titleSet, hideInsignificant);
        if (listed.size() < 2)
            return;
        project.mergeSegments(listed[0], listed[1]);
    }
}

} // namespace planning
