#include "app/MainWindow.h"

#include "encoder/EncoderKinds.h"
#include "planning/Labels.h"
#include "platform/Desktop.h"
#include "platform/TypedFields.h"
#include "scripts/Preview.h"
#include "settings/AppSettings.h"

#include <climits>
#include <cmath>

namespace {

// The order the window lays its controls out in.
constexpr MainWindow::Id layoutOrder[] = {
    MainWindow::LoadButton,        MainWindow::SegmentListLabel,  MainWindow::SegmentList,
    MainWindow::TotalSizeLabel,    MainWindow::TotalSizeEdit,     MainWindow::PropertiesGroup,
    MainWindow::AutosizedBox,      MainWindow::TweakedBox,        MainWindow::BitrateLabel,
    MainWindow::BitrateEdit,       MainWindow::ReductionLabel,    MainWindow::ReductionEdit,
    MainWindow::ReductionSlider,   MainWindow::DurationLabel,     MainWindow::DurationEdit,
    MainWindow::SegmentSizeLabel,  MainWindow::SegmentSizeEdit,   MainWindow::VbrRadio,
    MainWindow::OpvRadio,          MainWindow::CustomQButton,     MainWindow::OpvForSmallBox,
    MainWindow::OptimizationGroup, MainWindow::TweakCellsButton,  MainWindow::ScriptEditorButton,
    MainWindow::SettingsButton,    MainWindow::PreviewButton,     MainWindow::LinkButton,
    MainWindow::HideBox,           MainWindow::ResetButton,       MainWindow::GlobalOptionsButton,
    MainWindow::SaveButton,        MainWindow::ExitButton,        MainWindow::AboutButton,
    MainWindow::StatusEdit,
};

// The segment percentage without the 0.01 clamp, as Reset Bitrates shows it.
float unclampedSizePercent(const Project &project, const Segment &segment)
{
    if (project.targetTotalSize <= 0)
        return 0.0f;
    return float(double(segment.size()) / double(project.targetTotalSize) * 100.0);
}

int shownBitrate(const Segment &segment)
{
    const int average = segment.averageBitrate();
    return average > 0 ? average : 0;
}

} // namespace

MainWindow::MainWindow(Project &project, Desktop &desktop, AppSettings &settings, std::string settingsFolder)
    : m_project(project), m_desktop(desktop), m_settings(settings), m_settingsFolder(std::move(settingsFolder))
{
    // The window may be created over a project that is already loaded (tavro-cli, tests).
    if (m_project.isLoaded())
        buildList();
    m_savedPlan = planOf(m_project);
}

// ---- The controls ----------------------------------------------------------------------------

ControlTable MainWindow::controls() const
{
    ControlTable table;
    for (Id id : layoutOrder)
        table.add(id, control(id));
    return table;
}

Control MainWindow::control(Id id) const
{
    const Segment *segment = selectedSegment();
    const bool loaded = m_project.isLoaded();
    // The figures of a segment are empty, not 0, while there is none.
    auto figure = [segment](auto show) { return readOnlyEdit(segment ? show(*segment) : std::string()); };

    switch (id) {
    case LoadButton:
        return button("&Load RB Settings");
    case SegmentListLabel:
        return label("Vob-ID");
    case SegmentList:
        return list(m_rows, m_selectedRow);
    case TotalSizeLabel:
        return label("Total Video Size %");
    case TotalSizeEdit:
        return readOnlyEdit(loaded ? labels::floatText(planning::totalVideoSizePercent(m_project)) : std::string());
    case PropertiesGroup:
        return group("Properties");
    case AutosizedBox:
        return checkBox("&Autosized", segment && segment->autosized)
            .enable(segment && segment->significantCells != 0);
    case TweakedBox:
        // An indicator only; cell tweaks mean something for VBR segments only.
        return checkBox("Tweaked", segment && segment->tweaked && segment->vbrMode).enable(false);
    case BitrateLabel:
        return label("Bitrate");
    case BitrateEdit:
        return edit(segment ? std::to_string(shownBitrate(*segment)) : std::string())
            .enable(segment && !segment->autosized);
    case ReductionLabel:
        return label("Reduction");
    case ReductionEdit:
        return figure([](const Segment &s) { return labels::doubleText(s.reductionPercent()); });
    case ReductionSlider:
        return slider(0, planning::sliderPositions, m_sliderPosition).enable(segment && !segment->autosized);
    case DurationLabel:
        return label("Duration");
    case DurationEdit:
        return figure([](const Segment &s) { return s.durationText(); });
    case SegmentSizeLabel:
        return label("Vob-ID Video size %");
    case SegmentSizeEdit:
        return figure([this](const Segment &s) {
            return labels::floatText(m_shareUnclamped ? unclampedSizePercent(m_project, s)
                                                : planning::videoSizePercent(m_project, s));
        });
    case VbrRadio:
    case OpvRadio: {
        // A small VBR segment may switch to OPV only once "Enable OPV for small Vob-IDs" is ticked.
        const bool switchable = segment && segment->significantCells != 0 && cceKind(m_project.cceType).switchesVbrOpv
                                && (!planning::isSmallSegment(*segment) || !segment->vbrMode || m_opvForSmall);
        if (id == VbrRadio)
            return radio("VBR", segment && segment->vbrMode).enable(switchable);
        return radio("OPV", segment && !segment->vbrMode).enable(switchable);
    }
    case CustomQButton:
        return button("Set Custom Q")
            .enable(segment && !segment->vbrMode && segment->significantCells != 0
                    && cceKind(m_project.cceType).switchesVbrOpv);
    case OpvForSmallBox:
        return checkBox("Enable OPV for small Vob-IDs", m_opvForSmall).enable(loaded);
    case OptimizationGroup:
        return group("Vob-ID Optimization");
    case TweakCellsButton:
        // Cell tweaks are for VBR segments only.
        return button("&Tweak Cells").enable(segment && !segment->autosized && segment->vbrMode);
    case ScriptEditorButton:
        return button("AVS &Editing").enable(segment != nullptr);
    case SettingsButton:
    {
        // Enabled only where a settings window exists for the project's encoder.
        const char *caption = encoderModeKind(m_project.encoderMode).settingsCaption;
        return button(caption ? caption : "&CCE Settings")
            .enable(segment && settingsWindow(m_project.encoderMode, m_project.cceType) != SettingsWindow::None);
    }
    case PreviewButton:
        return button("&Preview").enable(segment != nullptr);
    case LinkButton:
        return button("Vob-&ID Link").enable(m_rows.size() > 1);
    case HideBox:
        return checkBox("&Hide Vob-IDs of insignificant size", m_hideInsignificant).enable(loaded);
    case ResetButton:
        return button("&Reset Bitrates").enable(loaded);
    case GlobalOptionsButton:
        return button("&Global Options").enable(loaded);
    case SaveButton:
        return button("&Save Settings").enable(loaded);
    case ExitButton:
        return button("E&xit");
    case AboutButton:
        return button("?");
    case StatusEdit:
        return readOnlyEdit(labels::estimateStatusText(m_project));
    }
    return {};
}

MainWindow::SettingsDialog MainWindow::settingsDialog() const
{
    if (!m_project.isLoaded())
        return SettingsDialog::None;
    switch (settingsWindow(m_project.encoderMode, m_project.cceType)) {
    case SettingsWindow::CceSp: return SettingsDialog::CceSp;
    case SettingsWindow::Cce270: return SettingsDialog::Cce270;
    case SettingsWindow::Generic: return SettingsDialog::Generic;
    case SettingsWindow::None: break;
    }
    return SettingsDialog::None;
}

int MainWindow::rowOf(int segmentIndex) const
{
    for (std::size_t row = 0; row < m_rowMap.size(); ++row)
        if (m_rowMap[row] == segmentIndex)
            return int(row);
    return -1;
}

Segment *MainWindow::selectedSegment()
{
    if (m_currentSegment < 0 || m_currentSegment > m_project.lastSegmentIndex())
        return nullptr;
    return &m_project.segment(m_currentSegment);
}

const Segment *MainWindow::selectedSegment() const
{
    if (m_currentSegment < 0 || m_currentSegment > m_project.lastSegmentIndex())
        return nullptr;
    return &m_project.segment(m_currentSegment);
}

std::vector<MainWindow::SegmentPlan> MainWindow::planOf(const Project &project)
{
    std::vector<SegmentPlan> plan;
    plan.reserve(project.segments.size());
    for (const Segment &segment : project.segments) {
        SegmentPlan entry;
        entry.vbrMode = segment.vbrMode;
        entry.settings = segment.settings;
        entry.bitrates.reserve(segment.cells.size());
        for (const Cell &cell : segment.cells)
            entry.bitrates.push_back(cell.bitrate);
        plan.push_back(std::move(entry));
    }
    return plan;
}

bool MainWindow::planChanged() const
{
    return planOf(m_project) != m_savedPlan;
}

// ---- Rules -----------------------------------------------------------------------------------

planning::SliderRange MainWindow::sliderRange() const
{
    const Segment *segment = selectedSegment();
    return segment ? planning::segmentSliderRange(*segment) : planning::SliderRange();
}

void MainWindow::clearList()
{
    // The rows of a previous project would point at segments that are gone.
    m_rows.clear();
    m_rowMap.clear();
    m_selectedRow = -1;
    selectionRules();
}

void MainWindow::buildList()
{
    m_rows.clear();
    m_rowMap.clear();
    for (int index = 0; index <= m_project.lastSegmentIndex(); ++index) {
        if (!planning::isListed(m_project, m_project.segment(index), m_hideInsignificant))
            continue;
        m_rows.push_back(labels::segmentRow(m_project, index));
        m_rowMap.push_back(index);
    }
    // Every segment may be hidden (a project of a thousand equal segments): then nothing is
    // selected rather than a row that does not exist.
    m_selectedRow = m_rows.empty() ? -1 : 0;
    selectionRules();
}

void MainWindow::selectionRules()
{
    m_currentSegment = m_selectedRow >= 0 && m_selectedRow < int(m_rowMap.size())
                           ? m_rowMap[std::size_t(m_selectedRow)]
                           : -1;
    refresh();
    positionSlider();
}

void MainWindow::refresh()
{
    m_shareUnclamped = false;
}

void MainWindow::positionSlider()
{
    const Segment *segment = selectedSegment();
    m_sliderPosition = segment ? sliderRange().position(segment->reductionPercent()) : 0;
}

// ---- Commands --------------------------------------------------------------------------------

bool MainWindow::loadClicked()
{
    const std::optional<std::string> path = m_desktop.chooseOpenFile(
        "Open Rebuilder.inf ...", parseFilterString("Rebuilder.inf|REBUILDER.INF||"), "REBUILDER.INF");
    if (!path)
        return false;
    return loadFrom(*path);
}

bool MainWindow::loadFrom(const std::string &infPath, Project::InterruptedSaves interrupted)
{
    const bool ok = m_project.load(infPath, m_desktop, interrupted) && m_project.isLoaded();
    if (ok)
        buildList();
    else
        clearList();
    m_savedPlan = planOf(m_project);
    return ok;
}

void MainWindow::rowSelected(int row)
{
    if (row < 0 || row >= int(m_rowMap.size()))
        return;
    m_selectedRow = row;
    selectionRules();
}

void MainWindow::autosizedClicked(bool checked)
{
    Segment *segment = selectedSegment();
    if (!segment || !isEnabled(AutosizedBox))
        return;
    segment->autosized = checked;
    // Clearing the box only frees the segment; its bitrates stay until the user sets them.
    if (checked) {
        m_project.autosize(m_hideInsignificant);
        refresh();
        positionSlider();
    }
}

void MainWindow::bitrateTyped(const std::string &text)
{
    Segment *segment = selectedSegment();
    if (!segment || !isEnabled(BitrateEdit))
        return;
    const std::optional<int> value = readPositiveInteger(m_desktop, text);
    if (!value || *value == shownBitrate(*segment))
        return;
    // The cells are capped at their source size long before this, and one more must still fit.
    const int typed = *value >= INT_MAX ? INT_MAX - 1 : *value;
    // One above the typed value makes up for the truncation of every cell's bitrate.
    segment->setAverageBitrate(typed + 1);
    m_project.autosize(m_hideInsignificant);
    refresh();
    positionSlider();
}

void MainWindow::sliderMoved(int position)
{
    if (!isEnabled(ReductionSlider))
        return;
    m_sliderPosition = position < 0 ? 0 : position > planning::sliderPositions ? planning::sliderPositions : position;
    reductionChosen(sliderRange().reduction(m_sliderPosition));
}

void MainWindow::reductionChosen(double percent)
{
    Segment *segment = selectedSegment();
    if (!segment || segment->autosized)
        return;
    // The slider reports every redraw; only a real move re-plans.
    if (!(std::abs(percent - segment->reductionPercent()) > 0.01))
        return;
    segment->setReductionPercent(percent);
    m_project.autosize(m_hideInsignificant);
    refresh();
}

void MainWindow::hideClicked(bool checked)
{
    if (!isEnabled(HideBox))
        return;
    m_hideInsignificant = checked;
    buildList();
}

void MainWindow::opvForSmallClicked(bool checked)
{
    if (!isEnabled(OpvForSmallBox))
        return;
    m_opvForSmall = checked;
    selectionRules();
}

void MainWindow::vbrClicked()
{
    Segment *segment = selectedSegment();
    if (!segment || !isEnabled(VbrRadio))
        return;
    segment->vbrMode = true;
    segment->replanned = false;
    segment->settings.videoType = cceKind(m_project.cceType).vbrVideoType;
    selectionRules();
}

void MainWindow::opvClicked()
{
    Segment *segment = selectedSegment();
    if (!segment || !isEnabled(OpvRadio))
        return;
    segment->vbrMode = false;
    segment->replanned = true;
    segment->settings.videoType = cceKind(m_project.cceType).opvVideoType;
    selectionRules();
}

void MainWindow::resetClicked()
{
    if (!isEnabled(ResetButton))
        return;
    // No automatic distribution here: the loaded plan is what the user asked for.
    m_project.resetBitrates();
    positionSlider();
    m_shareUnclamped = true;
}

bool MainWindow::saveClicked(const Project::PredictionStep &predict)
{
    if (!isEnabled(SaveButton))
        return false;
    if (planning::totalVideoSizePercent(m_project) > planning::oversizeThreshold
        && !m_desktop.askYesNo(oversizeQuestion))
        return false;
    return saveWithoutAsking(predict);
}

bool MainWindow::saveWithoutAsking(const Project::PredictionStep &predict)
{
    if (!m_project.isLoaded())
        return false;
    if (!m_project.save(m_desktop, predict))
        return false;
    m_savedPlan = planOf(m_project);
    m_desktop.showMessage(savedMessage);
    refresh();
    return true;
}

void MainWindow::previewClicked()
{
    const Segment *segment = selectedSegment();
    if (segment && isEnabled(PreviewButton))
        writeTestScript(*segment, m_settings, m_settingsFolder, m_desktop);
}

bool MainWindow::exitRequested()
{
    if (m_project.scriptsModified)
        return m_desktop.askYesNo(exitQuestion);
    // Nothing is saved on the way out, so a plan made since the last save would be lost.
    if (planChanged())
        return m_desktop.askYesNo(unsavedPlanQuestion);
    return true;
}

void MainWindow::afterTweakCells()
{
    if (!selectedSegment())
        return;
    m_project.autosize(m_hideInsignificant);
    refresh();
    positionSlider();
}

void MainWindow::afterLinkVobIds()
{
    if (m_project.isLoaded())
        buildList();
    else
        clearList();
}

void MainWindow::afterGlobalOptions()
{
    if (!m_project.isLoaded())
        return;
    m_project.autosize(m_hideInsignificant);
    selectionRules();
}

void MainWindow::afterSetQFactor()
{
    refresh();
}

void MainWindow::afterEncoderSettings()
{
    refresh();
}

void MainWindow::afterScriptEditor()
{
    refresh();
}
