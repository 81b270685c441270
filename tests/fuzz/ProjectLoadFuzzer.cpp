// Rebuilder.INF and Rebuilder.ECL as anyone may have left them: Project::load either builds a
// model that agrees with itself or fails with a message and an empty project.

#include "FuzzSupport.h"

#include "common/Format.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const fuzz::ProjectInput input = fuzz::splitProjectInput(data, size);
    const std::string inf = fuzz::scratchFile("Rebuilder.INF");
    fuzz::writeFile(inf, input.inf);
    fuzz::writeFile(fuzz::scratchFile("Rebuilder.ECL"), input.ecl);

    Project project;
    fuzz::QuietDesktop desktop;
    if (!project.load(inf, desktop)) {
        fuzz::require(!project.isLoaded(), "a failed load left segments behind");
        fuzz::require(!desktop.messages.empty(), "a failed load told the user nothing");
        return 0;
    }
    fuzz::checkModel(project, "loaded");
    fuzz::require(project.initialTotalSize == project.currentTotalSize()
                      && project.targetTotalSize == project.initialTotalSize,
                  "the loaded sizes do not start at the project's total");
    for (const Segment &segment : project.segments) {
        fuzz::require(!segment.cells.empty(), "a loaded segment without cells");
        for (const Cell &cell : segment.cells) {
            fuzz::require(cell.vts == segment.cells.front().vts && cell.vobId == segment.cells.front().vobId,
                          "a segment mixes title sets or Vob-IDs");
            fuzz::require(cell.frames >= 0 && cell.loadedBitrate >= 0 && cell.loadedReduction >= 0.0f,
                          cformat("a cell loaded with %d frames, %d kbit/s, reduction %g", cell.frames,
                                  cell.loadedBitrate, double(cell.loadedReduction)));
            fuzz::require(cell.bitrate == cell.loadedBitrate, "a cell loaded away from its loaded bitrate");
        }
    }
    return 0;
}
