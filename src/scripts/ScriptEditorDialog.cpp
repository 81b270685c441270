#include "scripts/ScriptEditorDialog.h"

#include "common/Format.h"
#include "common/TextFile.h"
#include "platform/PathMapper.h"
#include "platform/Desktop.h"
#include "project/Project.h"
#include "scripts/Favourites.h"
#include "scripts/Preview.h"
#include "scripts/ScriptFiles.h"
#include "settings/AppSettings.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <numeric>

namespace {

// "head", then the file and why on a line of their own.
std::string withFile(const char *head, const std::string &path, const std::string &reason)
{
    return std::string(head) + "\n" + path + ": " + (reason.empty() ? std::string("cannot be written") : reason);
}

std::string withWritten(std::string text, const char *intro, const std::vector<std::string> &written)
{
    text += std::string("\n") + intro;
    for (const std::string &path : written)
        text += "\n" + path;
    return text;
}

} // namespace

ScriptEditorDialog::ScriptEditorDialog(Project &project, int segmentIndex, AppSettings &settings,
                                       std::string settingsFolder, Desktop &desktop)
    : m_project(project), m_segmentIndex(segmentIndex), m_settings(settings),
      m_settingsFolder(std::move(settingsFolder)), m_desktop(desktop)
{
}

Segment &ScriptEditorDialog::segment()
{
    return m_project.segment(m_segmentIndex);
}

const Segment &ScriptEditorDialog::segment() const
{
    return m_project.segment(m_segmentIndex);
}

bool ScriptEditorDialog::open()
{
    if (!loadScripts())
        return false;
    if (!m_settingsFolder.empty())
        m_favourites = readFavourites(favouritesFilePathIn(m_settingsFolder));
    m_backupFound = isReadableFile(scriptBackupPath(hostPath(segment().cells.front().name)));
    m_scriptTested = true;
    return true;
}

bool ScriptEditorDialog::loadScripts()
{
    m_loaded = false;
    m_loadedLines.clear();
    m_workingLines.clear();
    m_lineOrigin.clear();
    const Segment &seg = segment();
    std::optional<std::vector<std::string>> first;
    if (!seg.cells.empty())
        first = readScriptElements(hostPath(seg.cells.front().name));
    if (!first) {
        m_desktop.showMessage(missingScriptsMessage, Desktop::Icon::Warning);
        close(DialogResult::Cancel);
        return false;
    }
    for (std::size_t i = 1; i < seg.cells.size(); ++i) {
        const std::optional<std::vector<std::string>> other = readScriptElements(hostPath(seg.cells[i].name));
        if (!other) {
            m_desktop.showMessage(missingScriptsMessage, Desktop::Icon::Warning);
            close(DialogResult::Cancel);
            return false;
        }
        if (other->size() != first->size()) {
            m_desktop.showMessage(differentSizeMessage, Desktop::Icon::Warning);
            close(DialogResult::Cancel);
            return false;
        }
    }
    m_loadedLines = std::move(*first);
    m_workingLines = m_loadedLines;
    m_lineOrigin.resize(m_loadedLines.size());
    std::iota(m_lineOrigin.begin(), m_lineOrigin.end(), 0);
    m_loaded = true;
    showListing();
    return true;
}

void ScriptEditorDialog::showListing()
{
    // After every change the last entry is chosen, so the next insertion appends.
    m_lineChoice = workingCount() - 1;
}

std::vector<std::string> ScriptEditorDialog::listedLines() const
{
    if (m_workingLines.empty())
        return {};
    return std::vector<std::string>(m_workingLines.begin(), m_workingLines.end() - 1);
}

ControlTable ScriptEditorDialog::controls() const
{
    const bool on = editable();
    const Segment &seg = segment();
    std::vector<std::string> listing;
    for (int i = 1; i < workingCount(); ++i)
        listing.push_back(cformat("%2d - ", i) + m_workingLines[std::size_t(i - 1)]);
    std::vector<std::string> lineNumbers;
    for (int i = 1; i <= std::max(workingCount(), 1); ++i)
        lineNumbers.push_back(cformat("%2d", i));

    ControlTable table;
    table.add(TitleLabel, label("Generic Avisynth Script for "));
    table.add(TitleEdit, readOnlyEdit(cformat("VTS %d - VobID %d", seg.vts,
                                              seg.cells.empty() ? 0 : seg.cells.front().vobId)));
    table.add(Listing, textBox(std::move(listing)));
    table.add(LineLabel, label("Insert statements in line #"));
    table.add(LineList, dropDown(std::move(lineNumbers), m_lineChoice).enable(on));
    table.add(FavouritesBox, editableDropDown(m_favourites, m_favouriteText).enable(on));
    table.add(AddLineButton, button("Add Line").enable(on));
    table.add(RemoveLineButton, button("Remove Line").enable(on));
    table.add(AddFavouriteButton, button("Add Line to Favourites").enable(on));
    table.add(ResetButton, button("Reset Script").enable(on));
    table.add(TestButton, button("Test Script").enable(on));
    table.add(ViewOriginalButton, button("View Original").enable(on));
    table.add(RestoreButton, button("Restore Original Scripts").enable(on && m_backupFound));
    table.add(DefaultButton, button("").show(false));
    table.add(OkButton, button("OK"));
    table.add(CancelButton, button("Cancel"));
    return table;
}

void ScriptEditorDialog::lineSelected(int row)
{
    if (editable() && row >= 0 && row < workingCount())
        m_lineChoice = row;
}

void ScriptEditorDialog::lineTyped(const std::string &text)
{
    if (editable())
        m_favouriteText = text;
}

void ScriptEditorDialog::favouriteChosen(int row)
{
    if (editable() && row >= 0 && row < int(m_favourites.size()))
        m_favouriteText = m_favourites[std::size_t(row)];
}

bool ScriptEditorDialog::insertClicked()
{
    if (!editable() || m_favouriteText.empty())
        return false;
    const std::size_t k = std::size_t(std::clamp(m_lineChoice, 0, workingCount() - 1));
    m_workingLines.insert(m_workingLines.begin() + std::ptrdiff_t(k), m_favouriteText);
    m_lineOrigin.insert(m_lineOrigin.begin() + std::ptrdiff_t(k), -1);
    showListing();
    addToFavouriteList(m_favourites, m_favouriteText);
    m_favouriteText.clear();
    m_scriptTested = false;
    return true;
}

bool ScriptEditorDialog::removeClicked()
{
    if (!editable())
        return false;
    const int k = m_lineChoice;
    // The last entry is the end of the script: there is no line to remove.
    if (k < 0 || k >= workingCount() - 1)
        return false;
    const std::string &line = m_workingLines[std::size_t(k)];
    // Each cell's source and Trim lines are what make its script its own.
    if (line.starts_with("mpeg2source(") || line.starts_with("trim(")) {
        m_desktop.showMessage(cannotRemoveMessage, Desktop::Icon::Error);
        return false;
    }
    m_workingLines.erase(m_workingLines.begin() + k);
    m_lineOrigin.erase(m_lineOrigin.begin() + k);
    showListing();
    m_scriptTested = false;
    return true;
}

void ScriptEditorDialog::resetClicked()
{
    if (!editable())
        return;
    m_workingLines = m_loadedLines;
    m_lineOrigin.resize(m_loadedLines.size());
    std::iota(m_lineOrigin.begin(), m_lineOrigin.end(), 0);
    showListing();
}

bool ScriptEditorDialog::testClicked()
{
    if (!editable())
        return false;
    const std::string path = testScriptPathIn(m_settingsFolder);
    LineWriter out;
    if (out.open(path)) {
        const std::int64_t frames = segment().frameSum();
        // Every element, the final empty one included: the player does not mind the extra line.
        for (const std::string &line : m_workingLines)
            out.writeLine(isTrimLine(line) ? rewriteTrimLine(line, frames) : line);
        if (out.commit()) {
            playScript(path, m_settings, m_settingsFolder, m_desktop);
            m_scriptTested = true;
            return true;
        }
    }
    m_desktop.showMessage(testScriptFailedMessage, Desktop::Icon::Error);
    return false;
}

void ScriptEditorDialog::viewOriginalClicked()
{
    if (editable())
        writeTestScript(segment(), m_settings, m_settingsFolder, m_desktop);
}

bool ScriptEditorDialog::addFavouriteClicked()
{
    if (!editable() || m_favouriteText.empty() || m_settingsFolder.empty())
        return false;
    const std::string path = favouritesFilePathIn(m_settingsFolder);
    std::string reason;
    switch (appendFavourite(path, m_favouriteText, reason)) {
    case FavouriteAdded::Added:
        return true;
    case FavouriteAdded::AlreadyThere:
        return false;
    case FavouriteAdded::Failed:
        break;
    }
    m_desktop.showMessage(withFile(favouritesFailedMessage, path, reason), Desktop::Icon::Error);
    return false;
}

void ScriptEditorDialog::restoreClicked()
{
    if (editable() && m_backupFound && m_desktop.askYesNo(restoreQuestion))
        restoreConfirmed();
}

bool ScriptEditorDialog::restoreConfirmed()
{
    if (!editable() || !m_backupFound)
        return false;
    // Every copy is read before any script is written, so a missing one changes nothing.
    std::vector<ScriptWrite> writes;
    bool restored = false;
    for (const Cell &cell : segment().cells) {
        const std::string backup = scriptBackupPath(hostPath(cell.name));
        errno = 0;
        LineReader in;
        ScriptWrite write{hostPath(cell.name), {}};
        bool read = in.open(backup);
        std::string line;
        // The copies come back without their empty lines.
        while (read && in.next(line))
            if (!line.empty())
                write.lines.push_back(line);
        if (!read || in.failed()) {
            const std::string reason = systemErrorText();
            m_desktop.showMessage(withFile(restoreUnchangedMessage, backup, reason.empty() ? "cannot be read" : reason),
                                  Desktop::Icon::Error);
            writes.clear();
            break;
        }
        writes.push_back(std::move(write));
    }
    if (!writes.empty()) {
        const ScriptWriteResult result = replaceScripts(writes);
        switch (result.status) {
        case ScriptWriteResult::Status::Written:
            restored = true;
            markScriptsChanged();
            break;
        case ScriptWriteResult::Status::Unchanged:
            m_desktop.showMessage(withFile(restoreUnchangedMessage, result.failedPath, result.reason),
                                  Desktop::Icon::Error);
            break;
        case ScriptWriteResult::Status::Partial:
            m_desktop.showMessage(withWritten(withFile(restoreFailedMessage, result.failedPath, result.reason),
                                              "Already restored:", result.written),
                                  Desktop::Icon::Error);
            markScriptsChanged();
            break;
        }
    }
    // The editor shows what is on disk now; a script that went missing closes it.
    loadScripts();
    return restored;
}

void ScriptEditorDialog::markScriptsChanged()
{
    // The segment's Q factor was found for the old scripts.
    segment().replanned = true;
    m_project.scriptsModified = true;
}

bool ScriptEditorDialog::saveScripts()
{
    std::vector<ScriptWrite> writes;
    for (const Cell &cell : segment().cells) {
        std::string reason;
        const std::optional<std::vector<std::string>> own = readScriptElements(hostPath(cell.name), &reason);
        if (!own) {
            m_desktop.showMessage(withFile(saveUnchangedMessage, cell.name, reason));
            return false;
        }
        // The working lines point into each script by index; those must still be the same lines.
        if (own->size() != m_loadedLines.size()) {
            m_desktop.showMessage(
                withFile(saveUnchangedMessage, cell.name, "the script has changed since the editor opened it"));
            return false;
        }
        ScriptWrite write{hostPath(cell.name), {}};
        write.lines.reserve(m_workingLines.size());
        // The final element stands for the end of the file and is not written.
        for (std::size_t k = 0; k + 1 < m_workingLines.size(); ++k) {
            const int origin = m_lineOrigin[k];
            write.lines.push_back(origin < 0 ? m_workingLines[k] : (*own)[std::size_t(origin)]);
        }
        writes.push_back(std::move(write));
    }

    // The copies as DVD-Rebuilder wrote the scripts come first, made once and never replaced.
    std::vector<std::string> madeBackups;
    const auto dropMadeBackups = [&] {
        for (const std::string &backup : madeBackups) {
            std::error_code error;
            std::filesystem::remove(toFsPath(backup), error);
        }
    };
    for (const ScriptWrite &write : writes) {
        bool made = false;
        std::string reason;
        if (!makeScriptBackupOnce(write.path, made, reason)) {
            dropMadeBackups();
            m_desktop.showMessage(withFile(backupUnchangedMessage, scriptBackupPath(write.path), reason));
            return false;
        }
        if (made)
            madeBackups.push_back(scriptBackupPath(write.path));
    }

    const ScriptWriteResult result = replaceScripts(writes);
    switch (result.status) {
    case ScriptWriteResult::Status::Written:
        return true;
    case ScriptWriteResult::Status::Unchanged:
        // The copies just made equal the unchanged scripts; leaving nothing behind is plainer.
        dropMadeBackups();
        m_desktop.showMessage(withFile(saveUnchangedMessage, result.failedPath, result.reason));
        return false;
    case ScriptWriteResult::Status::Partial:
        m_desktop.showMessage(
            withWritten(withFile(saveFailedMessage, result.failedPath, result.reason), "Already saved:", result.written));
        // Some scripts did change: the segment needs its Q factor found again all the same.
        markScriptsChanged();
        return false;
    }
    return false;
}

bool ScriptEditorDialog::okClicked()
{
    if (m_result != DialogResult::Open)
        return true;
    if (!m_scriptTested) {
        m_desktop.showMessage(testFirstMessage, Desktop::Icon::Error);
        return false;
    }
    // An empty listing has nothing to write, but OK still counts as a change of the scripts.
    const bool saved = m_loaded && (workingCount() <= 1 || saveScripts());
    if (saved)
        markScriptsChanged();
    close(saved ? DialogResult::Ok : DialogResult::Cancel);
    return true;
}

void ScriptEditorDialog::cancelClicked()
{
    close(DialogResult::Cancel);
}

void ScriptEditorDialog::testSkipped()
{
    m_scriptTested = true;
}
