#pragma once

#include "project/Project.h"

#include <vector>

// Builds a project in memory, cell by cell, as the readers would leave it after a load:
// bitrates at their loaded values, cells of more than 10 frames significant, and the target
// and initial sizes equal to the total.
//
//     Project p = ProjectBuilder()
//                     .segment().cell(1000, 4000, 50.0f).cell(1000, 6000, 50.0f)
//                     .segment(2).cell(10, 3000)
//                     .build();
class ProjectBuilder {
public:
    // Starts a new segment in title set `vts`; its cells get the next Vob-ID.
    ProjectBuilder &segment(int vts = 1);
    ProjectBuilder &cell(int frames, int loadedBitrate, float loadedReduction = 50.0f, double fps = 25.0);
    ProjectBuilder &overhead(std::int64_t sectors);

    Project build() const;
    // The single segment of a one-segment build.
    Segment buildSegment() const;

private:
    Project m_project;
    int m_nextVobId = 1;
};

// The cells' bitrates in order: what a plan changes, for comparing with one line.
std::vector<int> bitrates(const Segment &segment);
std::vector<int> bitrates(const Project &project);
// The Vob-IDs of each segment's cells, segment by segment: what linking changes.
using Layout = std::vector<std::vector<int>>;
Layout layout(const Project &project);
// Encoder settings within every settings window's ranges, each field with its own value.
EncoderSettings typicalSettings();
