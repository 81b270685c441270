#include "project/PairReplacement.h"
#include "project/ProjectFiles.h"
#include "project/ProjectLock.h"

#include "common/TextFile.h"
#include "platform/Desktop.h"
#include "platform/PathMapper.h"

#include <optional>

namespace {

// Only when the INF was replaced and could not be put back: the ".bak" copies then hold the
// pair as it was before the save.
const char *const saveFailed = "Error saving... please restore .bak files";
const char *const notChanged = "Error saving: Rebuilder.INF and Rebuilder.ECL were not changed.";
const char *const saveCompleted =
    "An interrupted save was found and completed: Rebuilder.INF and Rebuilder.ECL are the pair it wrote.";
const char *const saveRolledBack =
    "An interrupted save was found and rolled back: Rebuilder.INF and Rebuilder.ECL are the pair from before it.";
const char *const saveNotRepaired = "An interrupted save left Rebuilder.INF and Rebuilder.ECL unrepaired, so the "
                                    "project was not loaded.";
const char *const saveToRepair = "An interrupted save left Rebuilder.INF and Rebuilder.ECL to be repaired: loading "
                                 "the project in Tavro or with tavro-cli plan repairs them.";

std::string withDetail(const char *message, const ReadError &error)
{
    return error.detail.empty() ? std::string(message) : std::string(message) + "\n" + error.detail;
}

std::string withCause(const char *message, const FileError &error)
{
    return std::string(message) + "\n" + error.text();
}

std::string saveInProgress(const std::string &holder)
{
    return "A save of Rebuilder.INF and Rebuilder.ECL is in progress" + (holder.empty() ? "" : " (" + holder + ")")
           + ": load the project when it has finished.";
}

ProjectPaths pathsOf(const Project &project)
{
    return {project.infPath, project.eclPath()};
}

// Settles a save that was cut short, under the project's lock, and says what became of it.
// False (the user has seen why) when it could not.
bool settleInterruptedSave(const ProjectPaths &paths, Desktop &desktop, FileError &error)
{
    switch (repairInterruptedSave(paths, error)) {
    case RepairResult::NothingToRepair:
        return true;
    case RepairResult::Completed:
        desktop.showMessage(saveCompleted, Desktop::Icon::Information);
        return true;
    case RepairResult::RolledBack:
        desktop.showMessage(saveRolledBack, Desktop::Icon::Information);
        return true;
    case RepairResult::Failed:
        break;
    }
    return false;
}

// For a load: repairs or reports a save that was cut short. False when nothing may be loaded.
bool handleInterruptedSave(const ProjectPaths &paths, Project::InterruptedSaves interrupted, Desktop &desktop)
{
    if (interrupted == Project::InterruptedSaves::Report) {
        desktop.showMessage(std::string(saveToRepair) + "\n" + paths.marker() + ": left by the interrupted save",
                            Desktop::Icon::Error);
        return false;
    }
    ProjectLock lock;
    FileError error;
    if (!lock.acquire(paths.inf, error)) {
        if (const std::optional<std::string> holder = ProjectLock::holder(paths.inf))
            desktop.showMessage(saveInProgress(*holder));
        else
            desktop.showMessage(withCause(saveNotRepaired, error), Desktop::Icon::Error);
        return false;
    }
    if (!settleInterruptedSave(paths, desktop, error)) {
        desktop.showMessage(withCause(saveNotRepaired, error), Desktop::Icon::Error);
        return false;
    }
    return true;
}

// The ".bak" copy of `file` and its new version, as temporaries of the pair.
bool prepareCopy(PairReplacement &pair, PairFile file, const std::string &source, FileError &error)
{
    LineWriter *out = pair.add(file, error);
    return out && copyLines(source, *out, error);
}

using Writer = WriteResult (*)(const Project &, const std::string &, LineWriter &, FileError &);

bool prepareRewrite(PairReplacement &pair, PairFile file, const Project &project, Writer write,
                    const std::string &backup, FileError &error)
{
    LineWriter *out = pair.add(file, error);
    return out && write(project, backup, *out, error) == WriteResult::Ok;
}

} // namespace

bool copyLines(const std::string &source, LineWriter &out, FileError &error)
{
    LineReader in;
    if (!in.open(source)) {
        error = in.error();
        return false;
    }
    std::string line;
    while (in.next(line))
        out.writeLine(line);
    if (in.failed()) {
        error = in.error();
        return false;
    }
    if (out.failed()) {
        error = out.error();
        return false;
    }
    return true;
}

bool copyTextFile(const std::string &source, const std::string &destination, bool overwrite, bool sourceRequired,
                  FileError &error)
{
    if (!overwrite && isReadableFile(destination))
        return true;
    LineReader in;
    if (!in.open(source)) {
        error = in.error();
        return !sourceRequired;
    }
    in.close();
    LineWriter out;
    if (!out.open(destination)) {
        error = out.error();
        return false;
    }
    // The writer drops its temporary file on failure; the destination is untouched.
    if (!copyLines(source, out, error))
        return false;
    if (!out.commit()) {
        error = out.error();
        return false;
    }
    return true;
}

bool copyTextFile(const std::string &source, const std::string &destination, bool overwrite, bool sourceRequired)
{
    FileError error;
    return copyTextFile(source, destination, overwrite, sourceRequired, error);
}

bool Project::load(const std::string &givenPath, Desktop &desktop, InterruptedSaves interrupted)
{
    // A path given as Windows names it (a Wine program's command line) opens too.
    const std::string path = hostPath(givenPath);
    // A save that starts while the files are read would hand this load an INF and an ECL of
    // different saves: the reading is repeated when either file changed meanwhile.
    for (int attempt = 1;; ++attempt) {
        clear();
        infPath = path;
        const ProjectPaths paths = pathsOf(*this);
        if (const std::optional<std::string> holder = ProjectLock::holder(path)) {
            desktop.showMessage(saveInProgress(*holder));
            return false;
        }
        if (interruptedSaveFound(paths) && !handleInterruptedSave(paths, interrupted, desktop)) {
            clear();
            return false;
        }
        const FileIdentity infBefore = fileIdentity(paths.inf);
        const FileIdentity eclBefore = fileIdentity(paths.ecl);
        ReadError error;
        const bool infRead = readInf(*this, path, desktop, error);
        const bool read = infRead && readEcl(*this, paths.ecl, error);
        const bool steady = fileIdentity(paths.inf) == infBefore && fileIdentity(paths.ecl) == eclBefore
                            && !interruptedSaveFound(paths);
        if (!steady) {
            clear();
            if (attempt < 3)
                continue;
            desktop.showMessage(saveInProgress(""));
            return false;
        }
        if (!read) {
            clear();
            desktop.showMessage(withDetail(infRead ? "Error loading Rebuilder.ECL" : "Error loading Rebuilder.INF", error));
            return false;
        }
        initialTotalSize = targetTotalSize = currentTotalSize();
        return true;
    }
}

bool Project::save(Desktop &desktop, const PredictionStep &predict)
{
    if (!isLoaded())
        return false;
    const ProjectPaths paths = pathsOf(*this);
    FileError error;
    auto notSaved = [&] {
        desktop.showMessage(withCause(notChanged, error));
        return false;
    };

    ProjectLock lock;
    if (!lock.acquire(paths.inf, error))
        return notSaved();
    // Another process's save of this project, cut short since it was loaded here.
    if (!settleInterruptedSave(paths, desktop, error))
        return notSaved();
    removeStaleTemporaries(paths);

    // What DVD-Rebuilder wrote is kept once, before anything is changed.
    if (!passSaveStep(SaveStep::CopyOriginals)) {
        error.set(paths.inf + ".original", errno);
        return notSaved();
    }
    if (!copyTextFile(paths.inf, paths.inf + ".original", false, true, error)
        || !copyTextFile(paths.ecl, paths.ecl + ".original", false, true, error))
        return notSaved();
    if (needsPrediction() && predict && !predict())
        return false;

    // The writers read the ".bak" copies, which are the temporaries until the pair is replaced.
    PairReplacement pair(paths);
    LineWriter *infBackup = pair.add(PairFile::InfBackup, error);
    if (!infBackup || !copyLines(paths.inf, *infBackup, error))
        return notSaved();
    LineWriter *eclBackup = pair.add(PairFile::EclBackup, error);
    if (!eclBackup || !copyLines(paths.ecl, *eclBackup, error) || !infBackup->finish() || !eclBackup->finish()) {
        if (infBackup->failed())
            error = infBackup->error();
        else if (eclBackup && eclBackup->failed())
            error = eclBackup->error();
        return notSaved();
    }
    if (!prepareRewrite(pair, PairFile::Inf, *this, writeInf, infBackup->temporaryPath(), error)
        || !prepareRewrite(pair, PairFile::Ecl, *this, writeEcl, eclBackup->temporaryPath(), error))
        return notSaved();
    switch (pair.commit(error)) {
    case PairReplacement::Result::Replaced:
        break;
    case PairReplacement::Result::NotChanged:
        return notSaved();
    case PairReplacement::Result::RepairPending:
        desktop.showMessage(withCause(saveFailed, error));
        return false;
    }
    passSaveStep(SaveStep::Finished);

    for (Segment &segment : segments)
        segment.replanned = false;
    scriptsModified = false;
    return true;
}

bool restoreOriginals(const Project &project, Desktop &desktop)
{
    if (!desktop.askYesNo("This will exit the program, restoring DVD-Rebuilder original files.\n"
                          "Do you want to continue?"))
        return false;
    // A missing ".original" means the project was never saved: the file stays as it is.
    if (!project.infPath.empty()) {
        const ProjectPaths paths = pathsOf(project);
        FileError error;
        PairFile failed = PairFile::Inf;
        auto notRestored = [&] {
            const bool ecl = failed == PairFile::Ecl || failed == PairFile::EclBackup;
            desktop.showMessage(withCause(ecl ? "Problems restoring original Rebuilder.ECL."
                                              : "Problems restoring original Rebuilder.inf.",
                                          error),
                                Desktop::Icon::Error);
            return false;
        };
        ProjectLock lock;
        if (!lock.acquire(paths.inf, error) || !settleInterruptedSave(paths, desktop, error))
            return notRestored();
        removeStaleTemporaries(paths);
        const bool inf = isReadableFile(paths.inf + ".original");
        const bool ecl = isReadableFile(paths.ecl + ".original");
        if (inf || ecl) {
            PairReplacement pair(paths);
            auto prepare = [&](bool wanted, PairFile file, const std::string &source) {
                failed = file;
                return !wanted || prepareCopy(pair, file, source, error);
            };
            if (!prepare(inf, PairFile::InfBackup, paths.inf) || !prepare(ecl, PairFile::EclBackup, paths.ecl)
                || !prepare(inf, PairFile::Inf, paths.inf + ".original")
                || !prepare(ecl, PairFile::Ecl, paths.ecl + ".original"))
                return notRestored();
            const PairReplacement::Result result = pair.commit(error);
            failed = pair.failedFile();
            if (result != PairReplacement::Result::Replaced)
                return notRestored();
        }
    }
    for (const Segment &segment : project.segments) {
        for (const Cell &cell : segment.cells) {
            if (cell.name.empty())
                continue;
            // The copy's name is mapped on its own: its letter case may differ from the script's.
            if (!copyTextFile(hostPath(cell.name + ".bak"), hostPath(cell.name), true, false)) {
                desktop.showMessage("Problems restoring scripts...", Desktop::Icon::Error);
                return false;
            }
        }
    }
    desktop.exitProgram(0);
    return true;
}
