#pragma once

#include "support/TempFolder.h"

#include <string>
#include <vector>

// Writes small Rebuilder.INF / Rebuilder.ECL pairs for reader and writer tests.
struct CellEntry {
    int vts = 1;
    int subId = 1;
    int vobId = 1;
    int cellId = 1;
    int frames = 1000;
    int rateCode = 3;
    std::string reduction = "50.0";
    int bitrate = 4000;
    std::vector<std::string> itemLines; // ECL lines after "vbr_brate_avg=" (managed or not)
};

std::string sectionHeader(const CellEntry &cell);
std::string itemTitle(const CellEntry &cell);

class ProjectFilesBuilder {
public:
    std::vector<std::string> infHead = {"[Project]", "Original_Size=1000000", "Excluded_Audio_Sub_Size=20000",
                                        "mode=1", "CCEType=3", "VTS_01=900000"};
    std::vector<std::string> eclHead = {"[CCE]", "version=2.70"};
    std::vector<CellEntry> cells;

    CellEntry &add(int vts, int vobId, int cellId, int frames = 1000, int bitrate = 4000);
    std::string infText() const;
    std::string eclText() const;
    // Writes both files (CR LF) into the folder and returns the INF path.
    std::string writeTo(const TempFolder &folder) const;
};
