#include "WindowOperations.h"

#include "ForwardingDesktop.h"
#include "StderrDesktop.h"

#include "app/MainWindow.h"
#include "planning/Labels.h"
#include "common/Format.h"
#include "planning/GlobalOptionsDialog.h"
#include "planning/LinkVobIdsDialog.h"
#include "planning/SetQFactorDialog.h"
#include "planning/TweakCellsDialog.h"
#include "project/Project.h"

#include <cstdio>

namespace {

// A child window's messages are kept back: a refusal reports the last one as its reason,
// anything else is shown when the operation went through.
class WindowDesktop : public ForwardingDesktop {
public:
    using ForwardingDesktop::ForwardingDesktop;
    void showMessage(const std::string &text, Icon icon, const std::string &caption) override
    {
        m_messages.push_back({text, icon, caption});
    }
    std::string refusal() const { return m_messages.empty() ? "refused by the window" : m_messages.back().text; }
    std::string done()
    {
        for (const Message &message : m_messages)
            m_inner.showMessage(message.text, message.icon, message.caption);
        m_messages.clear();
        return {};
    }

private:
    struct Message {
        std::string text;
        Icon icon;
        std::string caption;
    };
    std::vector<Message> m_messages;
};

// The command line already said yes, and the program goes on after the files are back.
class ConfirmedDesktop : public ForwardingDesktop {
public:
    using ForwardingDesktop::ForwardingDesktop;
    bool askYesNo(const std::string &, const std::string &) override { return true; }
    void exitProgram(int status) override { exitStatus = status; }
    std::optional<int> exitStatus;
};

// tavro-cli never plays a script or picks a program, so its windows need no settings folder.
const std::string noSettingsFolder;

} // namespace

std::string describeSegment(const Project &project, int index)
{
    return cformat("#%d (%s)", index, labels::segmentRow(project, index).c_str());
}

std::string tweakCells(MainWindow &window, int cell, int bitrate)
{
    WindowDesktop desktop(window.desktop());
    TweakCellsDialog dialog(window.project(), window.currentSegment(), desktop, window.settings(), noSettingsFolder);
    if (cell < 0 || cell >= int(dialog.controls().at(TweakCellsDialog::CellList).rows.size()))
        return describeSegment(window.project(), window.currentSegment()) + cformat(" has no cell %d", cell);
    dialog.cellSelected(cell);
    if (!dialog.controls().at(TweakCellsDialog::AutosizedBox).enabled)
        return cformat("cell %d has 10 frames or fewer and cannot be tweaked", cell);
    // Unticking the cell's "Autosized" unlocks it; typing its own bitrate changes nothing more.
    dialog.autosizedClicked(false);
    dialog.bitrateTyped(std::to_string(bitrate));
    dialog.applyClicked();
    window.afterTweakCells();
    return desktop.done();
}

std::string linkSelected(MainWindow &window, const std::vector<int> &segments, const std::string &openedOn)
{
    WindowDesktop desktop(window.desktop());
    LinkVobIdsDialog dialog(window.project(), window.currentSegment(), window.hideInsignificant(), desktop,
                            window.settings(), noSettingsFolder);
    if (dialog.result() != DialogResult::Open)
        return desktop.refusal();
    std::vector<int> rows;
    for (int index : segments) {
        const int row = dialog.rowOf(index);
        if (row < 0)
            return describeSegment(window.project(), index) + " is not a listed segment of the title set of " + openedOn;
        rows.push_back(row);
    }
    dialog.selectionChanged(rows, rows.front());
    dialog.linkSelectedClicked();
    window.afterLinkVobIds();
    return desktop.done();
}

std::string linkAll(MainWindow &window, int segment)
{
    WindowDesktop desktop(window.desktop());
    LinkVobIdsDialog dialog(window.project(), segment, window.hideInsignificant(), desktop, window.settings(),
                            noSettingsFolder);
    if (dialog.result() != DialogResult::Open)
        return desktop.refusal();
    dialog.linkAllClicked();
    window.afterLinkVobIds();
    return desktop.done();
}

std::string setOutputPercent(MainWindow &window, double percent)
{
    WindowDesktop desktop(window.desktop());
    GlobalOptionsDialog dialog(window.project(), desktop, window.settings(), noSettingsFolder);
    dialog.percentChosen(percent);
    dialog.okClicked();
    window.afterGlobalOptions();
    return desktop.done();
}

std::string setQFactor(MainWindow &window, std::optional<int> q)
{
    WindowDesktop desktop(window.desktop());
    SetQFactorDialog dialog(window.project(), window.currentSegment(), desktop);
    if (q) {
        dialog.qTyped(std::to_string(*q));
        dialog.setToClicked();
    } else if (!dialog.controls().at(SetQFactorDialog::CalculatedRadio).checked) {
        dialog.calculatedClicked();
    }
    if (!dialog.okClicked())
        return desktop.refusal();
    window.afterSetQFactor();
    return desktop.done();
}

int restoreOriginalFiles(const std::string &infPath)
{
    StderrDesktop stderrDesktop;
    ConfirmedDesktop desktop(stderrDesktop);
    // First the two project files alone: nothing loaded, so no scripts yet.
    Project files;
    files.infPath = infPath;
    if (!restoreOriginals(files, desktop))
        return 1;
    // Then the project as DVD-Rebuilder left it names the scripts. (Its INF and ECL are copied
    // once more, from the same ".original" copies.)
    Project project;
    if (!project.load(infPath, stderrDesktop) || !restoreOriginals(project, desktop))
        return 1;
    std::printf("Restored DVD-Rebuilder's original files of %s\n", infPath.c_str());
    return desktop.exitStatus.value_or(0);
}
