// tavro-cli: the main window's planning commands from the command line. Every operation goes
// through MainWindow (or the core operations the child windows use), so the command line and
// the desktop program cannot disagree about a plan.

#include "Arguments.h"
#include "Report.h"
#include "ScriptOperations.h"
#include "SettingsOperations.h"
#include "StderrDesktop.h"
#include "WindowOperations.h"

#include "app/MainWindow.h"
#include "planning/Labels.h"
#include "common/CommandLine.h"
#include "common/Format.h"
#include "encoder/EncoderKinds.h"
#include "planning/Linking.h"
#include "planning/Planning.h"
#include "project/Project.h"
#include "settings/AppSettings.h"

#include "TavroVersion.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Kind = Operation::Kind;

int findSegment(const Project &project, const SegmentName &name)
{
    if (name.byIndex)
        return name.index <= project.lastSegmentIndex() ? name.index : -1;
    for (int index = 0; index <= project.lastSegmentIndex(); ++index) {
        const Segment &segment = project.segment(index);
        if (segment.vts == name.vts && !segment.cells.empty() && segment.cells.front().vobId == name.vobId)
            return index;
    }
    return -1;
}

// Runs the operations on the main window as a user would, refusing what the window would not
// allow. Each step returns an empty text when it went through, else the reason it was refused.
class Planner {
public:
    Planner(MainWindow &window, bool savesQFactors)
        : m_window(window), m_project(window.project()), m_savesQFactors(savesQFactors)
    {
    }

    std::string run(const Operation &op)
    {
        const std::string reason = perform(op);
        return reason.empty() ? reason : op.text + ": " + reason;
    }

private:
    std::string resolve(const SegmentName &name, int &index) const
    {
        index = findSegment(m_project, name);
        return index < 0 ? "no segment " + name.text : std::string();
    }

    // Selects the segment's row as a click in the list would.
    std::string select(const SegmentName &name)
    {
        int index = -1;
        if (std::string reason = resolve(name, index); !reason.empty())
            return reason;
        const int row = m_window.rowOf(index);
        if (row < 0)
            return describeSegment(m_project, index) + " is hidden as a Vob-ID of insignificant size (--hide off lists it)";
        m_window.rowSelected(row);
        return {};
    }

    std::string require(MainWindow::Id control, const std::string &reason) const
    {
        return m_window.isEnabled(control) ? std::string() : reason;
    }

    std::string noSignificantCells() const
    {
        return describeSegment(m_project, m_window.currentSegment()) + " has no cells of more than 10 frames: it stays Autosized";
    }

    std::string untickAutosized()
    {
        if (std::string reason = require(MainWindow::AutosizedBox, noSignificantCells()); !reason.empty())
            return reason;
        m_window.autosizedClicked(false);
        return {};
    }

    std::string modeSwitchRefusal(const Segment &segment) const
    {
        if (segment.significantCells == 0)
            return "VBR and OPV cannot be switched for a segment without cells of more than 10 frames";
        if (!cceKind(m_project.cceType).switchesVbrOpv)
            return cformat("VBR and OPV cannot be switched with CCE type %d", m_project.cceType);
        return "VBR and OPV cannot be switched for a VBR segment of 3050 frames or fewer while "
               "\"Enable OPV for small Vob-IDs\" is off";
    }

    std::string perform(const Operation &op)
    {
        std::string reason;
        switch (op.kind) {
        case Kind::Bitrate:
            if (!(reason = select(op.segments[0])).empty() || !(reason = untickAutosized()).empty()
                || !(reason = require(MainWindow::BitrateEdit, "the bitrate cannot be typed")).empty())
                return reason;
            m_window.bitrateTyped(std::to_string(op.bitrate));
            return {};
        case Kind::Reduction:
            if (!(reason = select(op.segments[0])).empty() || !(reason = untickAutosized()).empty()
                || !(reason = require(MainWindow::ReductionSlider, "the reduction slider cannot be moved")).empty())
                return reason;
            m_window.reductionChosen(op.percent);
            return {};
        case Kind::Autosized:
            if (!(reason = select(op.segments[0])).empty()
                || !(reason = require(MainWindow::AutosizedBox, noSignificantCells())).empty())
                return reason;
            m_window.autosizedClicked(true);
            return {};
        case Kind::Opv:
        case Kind::Vbr: {
            if (!(reason = select(op.segments[0])).empty())
                return reason;
            const bool opv = op.kind == Kind::Opv;
            if (!m_window.isEnabled(opv ? MainWindow::OpvRadio : MainWindow::VbrRadio))
                return modeSwitchRefusal(*m_window.selectedSegment());
            if (opv)
                m_window.opvClicked();
            else
                m_window.vbrClicked();
            return {};
        }
        case Kind::Tweak:
            if (!(reason = select(op.segments[0])).empty()
                || !(reason = require(MainWindow::TweakCellsButton,
                                      "Tweak Cells is only for a segment that is not Autosized and is VBR"))
                        .empty())
                return reason;
            return tweakCells(m_window, op.cell, op.cellBitrate);
        case Kind::Link:
            return link(op);
        case Kind::LinkAll: {
            int index = -1;
            if (!(reason = resolve(op.segments[0], index)).empty())
                return reason;
            return linkAll(m_window, index);
        }
        case Kind::OutputPercent:
            if (!(reason = require(MainWindow::GlobalOptionsButton, "Global Options needs a loaded project")).empty())
                return reason;
            return setOutputPercent(m_window, op.percent);
        case Kind::SetQ:
            if (!(reason = select(op.segments[0])).empty()
                || !(reason = require(MainWindow::CustomQButton, "Set Custom Q is only for an OPV segment with cells of "
                                                              "more than 10 frames, and not with CCE type 2"))
                        .empty())
                return reason;
            return setQFactor(m_window, op.qCalculated ? std::nullopt : std::optional<int>(op.qFactor));
        case Kind::Reset:
            if (!(reason = require(MainWindow::ResetButton, "Reset Bitrates needs a loaded project")).empty())
                return reason;
            m_window.resetClicked();
            return {};
        case Kind::Setting:
        case Kind::Preset:
        case Kind::Matrices:
            return runSettingsOperation(m_window, op, [this](const SegmentName &name) { return select(name); });
        case Kind::AvsInsert:
        case Kind::AvsRemove:
        case Kind::AvsRestore:
            // The editor opens on the selected segment; `all` goes through every listed one.
            if (!op.segments[0].all && !(reason = select(op.segments[0])).empty())
                return reason;
            return runScriptOperation(m_window, op,
                                      op.segments[0].all ? m_window.rowMap() : std::vector<int>{m_window.currentSegment()},
                                      m_savesQFactors);
        }
        return {};
    }

    std::string link(const Operation &op)
    {
        std::vector<int> indices;
        for (const SegmentName &name : op.segments) {
            int index = -1;
            if (std::string reason = resolve(name, index); !reason.empty())
                return reason;
            indices.push_back(index);
        }
        // The dialog opens on the first named segment, selected in the main window.
        if (std::string reason = select(op.segments[0]); !reason.empty())
            return reason;
        return linkSelected(m_window, indices, op.segments[0].text);
    }

    MainWindow &m_window;
    Project &m_project;
    bool m_savesQFactors;
};

int usage(const std::string &problem)
{
    std::fprintf(stderr, "tavro-cli: %s\n%s", problem.c_str(), usageText);
    return 2;
}

bool save(MainWindow &window, const Arguments &arguments, Desktop &desktop, PredictionOutcome &prediction)
{
    const bool keepQ = arguments.keepQ || arguments.prediction.predict;
    const Project &project = window.project();
    if (!project.isLoaded()) {
        std::fprintf(stderr, "tavro-cli: there is no segment to save\n");
        return false;
    }
    std::vector<std::string> waiting;
    for (int index = 0; index <= project.lastSegmentIndex(); ++index) {
        const Segment &segment = project.segment(index);
        if (segment.replanned && !segment.vbrMode)
            waiting.push_back(describeSegment(project, index));
    }
    if (!waiting.empty() && !keepQ) {
        std::string list;
        for (const std::string &name : waiting)
            list += (list.empty() ? "" : ", ") + name;
        std::fprintf(stderr,
                     "tavro-cli: not saved: these OPV segments were replanned and need a Q factor prediction: "
                     "%s\n(--predict runs it; --keep-q saves them with their current Q factors)\n",
                     list.c_str());
        return false;
    }
    if (arguments.prediction.predict)
        return window.saveWithoutAsking(
            [&] { return predictForSave(window, desktop, arguments.prediction, prediction); });
    // With --keep-q the prediction step keeps every opvQFactor as it is.
    return window.saveWithoutAsking([] { return true; });
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args = commandLineArguments(argc, argv);
    std::string problem;
    const std::optional<Arguments> parsed = parseArguments(args, problem);
    if (!parsed)
        return usage(problem);
    if (parsed->help) {
        std::fputs(usageText, stdout);
        std::fputs(settingsHelpText().c_str(), stdout);
        return 0;
    }
    if (parsed->version) {
        std::printf("tavro-cli %s\n", TAVRO_VERSION);
        return 0;
    }
    if (parsed->command == Arguments::Command::Restore)
        return restoreOriginalFiles(parsed->infPath);

    StderrDesktop desktop;
    if (parsed->prediction.predict && !checkPredictionValues(parsed->prediction, desktop))
        return 2;
    AppSettings settings;
    Project project;
    MainWindow window(project, desktop, settings);
    // show only looks, and writes nothing: a save that was cut short is reported, not repaired.
    const bool show = parsed->command == Arguments::Command::Show;
    if (!window.loadFrom(parsed->infPath,
                         show ? Project::InterruptedSaves::Report : Project::InterruptedSaves::Repair))
        return 1;
    if (!parsed->hideInsignificant)
        window.hideClicked(false);

    // OPV segments whose scripts change are saved with a Q factor: a predicted one or the one they have.
    const bool savesQFactors = parsed->save && (parsed->keepQ || parsed->prediction.predict);
    const std::string scriptRefusal = scriptOperationsRefusal(
        window, parsed->operations, savesQFactors, [&](const SegmentName &name) { return findSegment(project, name); });
    if (!scriptRefusal.empty()) {
        std::fprintf(stderr, "tavro-cli: refused: %s\n", scriptRefusal.c_str());
        return 1;
    }
    Planner planner(window, savesQFactors);
    for (const Operation &op : parsed->operations) {
        const std::string refusal = planner.run(op);
        if (!refusal.empty()) {
            std::fprintf(stderr, "tavro-cli: refused: %s\n", refusal.c_str());
            return 1;
        }
    }
    PredictionOutcome prediction;
    if (parsed->save && !save(window, *parsed, desktop, prediction))
        return 1;

    if (parsed->json)
        writeJsonReport(window, stdout, parsed->prediction.predict ? &prediction : nullptr);
    else
        std::fputs(textReport(window).c_str(), stdout);
    return 0;
}
