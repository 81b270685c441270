#include "project/ProjectFiles.h"

#include "common/TextFile.h"
#include "platform/Desktop.h"
#include "platform/PathMapper.h"

namespace {

const char *const saveFailed = "Error saving... please restore .bak files";

std::string withDetail(const char *message, const ReadError &error)
{
    return error.detail.empty() ? std::string(message) : std::string(message) + "\n" + error.detail;
}

using Writer = WriteResult (*)(const Project &, const std::string &, const std::string &);

// One file's step of a save: its ".bak" copy, then the file rewritten from that copy.
bool rewriteFromBackup(const Project &project, const std::string &path, Writer write, const char *backupUnreadable,
                       Desktop &desktop)
{
    const std::string backup = path + ".bak";
    if (!copyTextFile(path, backup, true, true)) {
        desktop.showMessage(saveFailed);
        return false;
    }
    switch (write(project, backup, path)) {
    case WriteResult::Ok:
        return true;
    case WriteResult::SourceUnreadable:
        desktop.showMessage(backupUnreadable);
        return false;
    case WriteResult::WriteFailed:
        break;
    }
    desktop.showMessage(saveFailed);
    return false;
}

} // namespace

bool copyTextFile(const std::string &source, const std::string &destination, bool overwrite, bool sourceRequired)
{
    if (!overwrite && isReadableFile(destination))
        return true;
    LineReader in;
    if (!in.open(source))
        return !sourceRequired;
    LineWriter out;
    if (!out.open(destination))
        return false;
    std::string line;
    while (in.next(line))
        out.writeLine(line);
    if (in.failed())
        return false; // the writer drops its temporary file; the destination is untouched
    return out.commit();
}

bool Project::load(const std::string &path, Desktop &desktop)
{
    clear();
    // A path given as Windows names it (a Wine program's command line) opens too.
    infPath = hostPath(path);
    ReadError error;
    if (!readInf(*this, infPath, desktop, error)) {
        clear();
        desktop.showMessage(withDetail("Error loading Rebuilder.INF", error));
        return false;
    }
    if (!readEcl(*this, eclPath(), error)) {
        clear();
        desktop.showMessage(withDetail("Error loading Rebuilder.ECL", error));
        return false;
    }
    initialTotalSize = targetTotalSize = currentTotalSize();
    return true;
}

bool Project::save(Desktop &desktop, const PredictionStep &predict)
{
    if (!isLoaded())
        return false;
    const std::string inf = infPath;
    const std::string ecl = eclPath();

    // What DVD-Rebuilder wrote is kept once, before anything is changed.
    if (!copyTextFile(inf, inf + ".original", false, true) || !copyTextFile(ecl, ecl + ".original", false, true)) {
        desktop.showMessage(saveFailed);
        return false;
    }
    if (needsPrediction() && predict && !predict())
        return false;

    if (!rewriteFromBackup(*this, inf, writeInf, "Error saving Rebuilder.INF... please restore .bak files", desktop)
        || !rewriteFromBackup(*this, ecl, writeEcl, "Error saving Rebuilder.ECL... please restore .bak files", desktop))
        return false;

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
        if (!copyTextFile(project.infPath + ".original", project.infPath, true, false)) {
            desktop.showMessage("Problems restoring original Rebuilder.inf.", Desktop::Icon::Error);
            return false;
        }
        const std::string ecl = project.eclPath();
        if (!copyTextFile(ecl + ".original", ecl, true, false)) {
            desktop.showMessage("Problems restoring original Rebuilder.ECL.", Desktop::Icon::Error);
            return false;
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
