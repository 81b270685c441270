#pragma once

#include "common/TextFile.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Rebuilder.INF and Rebuilder.ECL describe one project only together: an INF of one save beside
// the ECL of another reads each cell's old bitrate against its new reduction. So they are
// replaced as a pair, together with their ".bak" copies:
//   1. every new file is written completely, and synced, as a temporary beside its target;
//   2. every target is checked to be replaceable;
//   3. a marker file beside the INF names the temporaries;
//   4. the temporaries are renamed over their targets back to back: INF.bak, ECL.bak, INF, ECL;
//   5. the marker is removed.
// A failure up to step 4 changes neither file. A process that dies in step 4 leaves the marker,
// and the next load repairs the pair: it completes the save when the INF was already replaced
// and the rest of the temporaries are whole, and otherwise rolls back to the state before it.

enum class PairFile { InfBackup, EclBackup, Inf, Ecl };

// The points of a save (and of a restore) where a test can make it fail, or end the process.
enum class SaveStep {
    CopyOriginals,
    WriteInfBackup,
    WriteEclBackup,
    WriteInf,
    WriteEcl,
    CheckTargets,
    WriteMarker,
    ReplaceInfBackup,
    ReplaceEclBackup,
    ReplaceInf,
    ReplaceEcl,
    RemoveMarker,
    RollBack, // putting the INF back after the ECL could not be replaced
    Finished,
};
constexpr int saveStepCount = int(SaveStep::Finished) + 1;

// For tests: called before each step; false makes the step fail as an input/output error would.
using SaveStepHook = std::function<bool(SaveStep)>;
void setSaveStepHook(SaveStepHook hook);
// Runs the hook; false (errno set) when it fails the step.
bool passSaveStep(SaveStep step);

struct ProjectPaths {
    std::string inf;
    std::string ecl;

    std::string target(PairFile file) const;
    // "Rebuilder.INF.tavro-saving" beside the INF: a save of the pair is under way or was cut short.
    std::string marker() const { return inf + ".tavro-saving"; }
};

class PairReplacement {
public:
    explicit PairReplacement(ProjectPaths paths) : m_paths(std::move(paths)) {}

    // A new version of `file`, to be written line by line; nullptr with the reason when the
    // temporary cannot be made. Files are added in the order INF.bak, ECL.bak, INF, ECL.
    LineWriter *add(PairFile file, FileError &error);

    enum class Result {
        Replaced,      // every target holds its new version
        NotChanged,    // no target of the pair was changed (the ".bak" copies may have been)
        RepairPending, // the INF was replaced and could not be put back: the marker stays
    };
    Result commit(FileError &error);
    // The file whose step failed.
    PairFile failedFile() const { return m_failed; }

private:
    struct Entry {
        PairFile file;
        std::unique_ptr<LineWriter> writer;
    };
    Result fail(PairFile file, FileError &error, const FileError &cause);

    ProjectPaths m_paths;
    std::vector<Entry> m_entries;
    PairFile m_failed = PairFile::Inf;
};

bool interruptedSaveFound(const ProjectPaths &paths);

enum class RepairResult { NothingToRepair, Completed, RolledBack, Failed };
// Settles what an interrupted save left; the caller holds the project's lock.
RepairResult repairInterruptedSave(const ProjectPaths &paths, FileError &error);

// Removes the temporaries that interrupted saves of this project left beside its files. The
// caller holds the project's lock, so none of them belongs to a running save.
void removeStaleTemporaries(const ProjectPaths &paths);
