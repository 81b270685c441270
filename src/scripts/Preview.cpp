#include "scripts/Preview.h"

#include "common/TextFile.h"
#include "platform/Desktop.h"
#include "platform/PathMapper.h"
#include "project/Project.h"
#include "settings/AppSettings.h"

#include <cctype>

bool isTrimLine(const std::string &line)
{
    static const char trim[] = "trim(";
    if (line.size() < 5)
        return false;
    for (std::size_t i = 0; i < 5; ++i) {
        if (std::tolower(static_cast<unsigned char>(line[i])) != trim[i])
            return false;
    }
    return true;
}

std::string rewriteTrimLine(const std::string &line, std::int64_t frames)
{
    const std::size_t comma = line.find(',');
    if (comma == std::string::npos)
        return line;
    return line.substr(0, comma) + ",-" + std::to_string(frames) + ")";
}

void playScript(const std::string &scriptPath, AppSettings &settings, const std::string &settingsFolder,
                Desktop &desktop)
{
    if (settings.mediaPlayerPath.empty())
        chooseMediaPlayer(settings, settingsFolder, desktop);
    if (settings.mediaPlayerPath.empty())
        return;
    // A player run under Wine gets the script's Windows name, a native one its host name. The
    // path goes as one argument of its own, so spaces and quotes in it are safe.
    const std::string &player = settings.mediaPlayerPath;
    const std::string argument = pathForProgram(player, scriptPath);
    if (!desktop.startProgram(player, {argument})) {
        const std::string wineNote = wineMissingNote(player);
        desktop.showMessage("Error playing cell - Report to author. You can preview opening in your mediaplayer\n\""
                                + argument + "\"" + (wineNote.empty() ? "" : "\n" + wineNote),
                            Desktop::Icon::Error);
    }
}

bool writeTestScript(const Segment &segment, AppSettings &settings, const std::string &settingsFolder,
                     Desktop &desktop)
{
    const char *const cannotCreate = "Cannot create test.avs. Close your mediaplayer if it's running";
    const std::string testScript = testScriptPathIn(settingsFolder);
    LineWriter out;
    if (!out.open(testScript)) {
        desktop.showMessage(cannotCreate, Desktop::Icon::Error);
        return false;
    }
    if (segment.cells.empty())
        return false;
    LineReader in;
    // The project names the script as DVD-Rebuilder wrote it, perhaps as a Windows path.
    if (!in.open(hostPath(segment.cells.front().name)))
        return false;
    const std::int64_t frames = segment.frameSum();
    std::string line;
    while (in.next(line))
        out.writeLine(isTrimLine(line) ? rewriteTrimLine(line, frames) : line);
    if (in.failed() || !out.commit()) {
        desktop.showMessage(cannotCreate, Desktop::Icon::Error);
        return false;
    }
    playScript(testScript, settings, settingsFolder, desktop);
    return true;
}
