#include "app/MainWindow.h"

#include "common/Format.h"
#include "platform/Desktop.h"
#include "settings/AppSettings.h"

#include <array>
#include <charconv>
#include <climits>
#include <cstdlib>

using Control = MainWindow::Control;

namespace {

struct ControlInfo {
    Control control;
    const char *caption;
    bool enabled; // before any project is loaded
};

const std::array<ControlInfo, 26> controlTable = {{
    {Control::AutosizedBox, "&Autosized", false},
    {Control::BitrateEdit, "Bitrate", false},
    {Control::TweakedBox, "Tweaked", false},
    {Control::ReductionEdit, "Reduction", true},
    {Control::TweakCellsButton, "&Tweak Cells", false},
    {Control::SegmentSizeEdit, "Vob-ID Video size %", true},
    {Control::ResetButton, "&Reset Bitrates", false},
    {Control::SaveButton, "&Save Settings", false},
    {Control::ExitButton, "E&xit", true},
    {Control::LoadButton, "&Load RB Settings", true},
    {Control::TotalSizeEdit, "Total Video Size %", true},
    {Control::PreviewButton, "&Preview", false},
    {Control::DurationEdit, "Duration", true},
    {Control::HideBox, "&Hide Vob-IDs of insignificant size", false},
    {Control::LinkButton, "Vob-&ID Link", false},
    {Control::ReductionSlider, "", false},
    {Control::SettingsButton, "&CCE Settings", false},
    {Control::GlobalOptionsButton, "&Global Options", false},
    {Control::ScriptEditorButton, "AVS &Editing", false},
    {Control::OpvForSmallBox, "Enable OPV for small Vob-IDs", false},
    {Control::SegmentList, "Vob-ID", true},
    {Control::VbrRadio, "VBR", false},
    {Control::OpvRadio, "OPV", false},
    {Control::CustomQButton, "Set Custom Q", false},
    {Control::AboutButton, "?", true},
    {Control::StatusEdit, "", true},
}};

// The buttons the load rules switch on and off together.
constexpr std::array<Control, 8> projectControls = {
    Control::ResetButton, Control::SaveButton,          Control::PreviewButton,      Control::HideBox,
    Control::SettingsButton, Control::ScriptEditorButton, Control::GlobalOptionsButton, Control::OpvForSmallBox,
};

// Controls that act on the selected segment. The load rules enable some of them for the whole
// project, but without a selected row there is no segment for them to act on.
bool actsOnSegment(Control control)
{
    switch (control) {
    case Control::AutosizedBox:
    case Control::BitrateEdit:
    case Control::ReductionSlider:
    case Control::TweakCellsButton:
    case Control::PreviewButton:
    case Control::SettingsButton:
    case Control::ScriptEditorButton:
    case Control::VbrRadio:
    case Control::OpvRadio:
    case Control::CustomQButton:
        return true;
    default:
        return false;
    }
}

// The segment percentage without the 0.01 clamp, as Reset Bitrates shows it.
float unclampedSizePercent(const Project &project, const Segment &segment)
{
    if (project.targetTotalSize <= 0)
        return 0.0f;
    return float(double(segment.size()) / double(project.targetTotalSize) * 100.0);
}

unsigned shownBitrate(const Segment &segment)
{
    const int average = segment.averageBitrate();
    return average > 0 ? unsigned(average) : 0u;
}

} // namespace

const std::vector<Control> &MainWindow::controls()
{
    static const std::vector<Control> all = [] {
        std::vector<Control> list;
        for (const ControlInfo &info : controlTable)
            list.push_back(info.control);
        return list;
    }();
    return all;
}

MainWindow::MainWindow(Project &project, Desktop &desktop, AppSettings &settings)
    : m_project(project), m_desktop(desktop), m_settings(settings)
{
    for (const ControlInfo &info : controlTable)
        m_enabled[info.control] = info.enabled;
    // The window may be created over a project that is already loaded (tavro-cli, tests).
    if (m_project.isLoaded())
        applyLoadRules(true);
}

bool MainWindow::isEnabled(Control control) const
{
    const auto found = m_enabled.find(control);
    if (found == m_enabled.end() || !found->second)
        return false;
    return !actsOnSegment(control) || selectedSegment() != nullptr;
}

void MainWindow::setEnabled(Control control, bool enabled)
{
    m_enabled[control] = enabled;
}

std::string MainWindow::caption(Control control) const
{
    if (control == Control::SettingsButton)
        return m_settingsCaption;
    for (const ControlInfo &info : controlTable)
        if (info.control == control)
            return info.caption;
    return {};
}

MainWindow::SettingsDialog MainWindow::settingsDialog() const
{
    if (!m_project.isLoaded())
        return SettingsDialog::None;
    if (m_project.encoderMode == 3)
        return SettingsDialog::Generic;
    if (m_project.encoderMode != 1)
        return SettingsDialog::None;
    switch (m_project.cceType) {
    case -1:
    case 0:
    case 1:
        return SettingsDialog::CceSp;
    case 2:
        return SettingsDialog::Generic;
    case 3:
        return SettingsDialog::Cce270;
    default:
        return SettingsDialog::None;
    }
}

std::string MainWindow::formatFloat(float value)
{
    return formatGeneral(double(value), 6);
}

std::string MainWindow::formatDouble(double value)
{
    return formatGeneral(value, 15);
}

std::string MainWindow::bitrateText() const
{
    return std::to_string(bitrateValue);
}

std::string MainWindow::reductionText() const
{
    return formatDouble(reductionValue);
}

std::string MainWindow::segmentSizeText() const
{
    return formatFloat(segmentSizePercent);
}

std::string MainWindow::totalSizeText() const
{
    return formatFloat(totalSizePercent);
}

std::string MainWindow::rowText(const Project &project, int segmentIndex)
{
    const Segment &segment = project.segment(segmentIndex);
    const int vobId = segment.cells.empty() ? 0 : segment.cells.front().vobId;
    // The width follows the number of segments, not the Vob-ID, so a long list stays aligned.
    if (project.lastSegmentIndex() >= 999)
        return cformat("VTS %2d - Vob-ID %4d", segment.vts, vobId);
    return cformat("VTS %2d - Vob-ID %3d", segment.vts, vobId);
}

std::string MainWindow::statusTextOf(const Project &project)
{
    if (project.overheadSize == 0)
        return {};
    return cformat("DVD Estimated Size: %lld MB  -   RB TargetSectors %lld",
                   (long long)planning::estimatedMegabytes(project), (long long)planning::estimatedSectors(project));
}

bool MainWindow::readBitrateText(const std::string &text)
{
    std::size_t begin = text.find_first_not_of(" \t");
    std::size_t end = text.find_last_not_of(" \t");
    unsigned value = 0;
    bool ok = begin != std::string::npos;
    if (ok) {
        const char *first = text.data() + begin;
        const char *last = text.data() + end + 1;
        const auto [stop, error] = std::from_chars(first, last, value);
        ok = error == std::errc() && stop == last;
    }
    if (!ok) {
        m_desktop.showMessage(badBitrateMessage, Desktop::Icon::Error);
        return false;
    }
    bitrateValue = value;
    return true;
}

int MainWindow::rowOf(int segmentIndex) const
{
    for (std::size_t row = 0; row < rowMap.size(); ++row)
        if (rowMap[row] == segmentIndex)
            return int(row);
    return -1;
}

Segment *MainWindow::selectedSegment()
{
    if (currentSegment < 0 || currentSegment > m_project.lastSegmentIndex())
        return nullptr;
    return &m_project.segment(currentSegment);
}

const Segment *MainWindow::selectedSegment() const
{
    if (currentSegment < 0 || currentSegment > m_project.lastSegmentIndex())
        return nullptr;
    return &m_project.segment(currentSegment);
}

// ---- Rules ---------------------------------------------------------------------------------

void MainWindow::applyLoadRules(bool loaded)
{
    if (!loaded) {
        for (Control control : projectControls)
            setEnabled(control, false);
        // The rows of the previous project would point at segments that are gone.
        rows.clear();
        rowMap.clear();
        selectedRow = -1;
        setEnabled(Control::LinkButton, false);
        clearSegmentFields();
        refresh();
        return;
    }
    buildList();
    for (Control control : projectControls)
        setEnabled(control, true);
    if (m_project.encoderMode == 3) {
        m_settingsCaption = "PRO Settings";
    } else if (m_project.encoderMode == 1) {
        m_settingsCaption = "&CCE Settings";
    } else {
        setEnabled(Control::SettingsButton, false);
    }
}

void MainWindow::buildList()
{
    rows.clear();
    rowMap.clear();
    for (int index = 0; index <= m_project.lastSegmentIndex(); ++index) {
        if (!planning::isListed(m_project, m_project.segment(index), hideInsignificant))
            continue;
        rows.push_back(rowText(m_project, index));
        rowMap.push_back(index);
    }
    totalSizePercent = planning::totalVideoSizePercent(m_project);
    // Every segment may be hidden (a project of a thousand equal segments): then nothing is
    // selected rather than a row that does not exist.
    selectedRow = rows.empty() ? -1 : 0;
    setEnabled(Control::LinkButton, rows.size() > 1);
    selectionRules();
}

void MainWindow::clearSegmentFields()
{
    currentSegment = -1;
    autosizedBox = false;
    tweakedBox = false;
    bitrateValue = 0;
    segmentSizePercent = 0.0f;
    reductionValue = 0.0;
    sliderPosition = 0;
    durationValue.clear();
    vbrChecked = false;
    opvChecked = false;
    sliderRange = planning::SliderRange();
    for (Control control : {Control::AutosizedBox, Control::BitrateEdit, Control::ReductionSlider,
                            Control::TweakCellsButton, Control::VbrRadio, Control::OpvRadio, Control::CustomQButton})
        setEnabled(control, false);
}

void MainWindow::selectionRules()
{
    if (selectedRow < 0 || selectedRow >= int(rowMap.size())) {
        clearSegmentFields();
        refresh();
        return;
    }
    currentSegment = rowMap[std::size_t(selectedRow)];
    const Segment &segment = m_project.segment(currentSegment);
    autosizedBox = segment.autosized;
    updateSegmentControls();
    sliderRange = planning::segmentSliderRange(segment);
    refresh();
    positionSlider();
    durationValue = segment.durationText();
    const bool significant = segment.significantCells != 0;
    setEnabled(Control::AutosizedBox, significant);
    const bool modeSwitch = significant && m_project.cceType != 2
                            && (!planning::isSmallSegment(segment) || !segment.vbrMode || opvForSmall);
    setEnabled(Control::VbrRadio, modeSwitch);
    setEnabled(Control::OpvRadio, modeSwitch);
}

void MainWindow::updateSegmentControls()
{
    const Segment *segment = selectedSegment();
    if (!segment)
        return;
    setEnabled(Control::BitrateEdit, !segment->autosized);
    setEnabled(Control::ReductionSlider, !segment->autosized);
    // Cell tweaks are for VBR segments only.
    setEnabled(Control::TweakCellsButton, !segment->autosized && segment->vbrMode);
}

void MainWindow::refresh()
{
    totalSizePercent = planning::totalVideoSizePercent(m_project);
    statusText = statusTextOf(m_project);
    const Segment *segment = selectedSegment();
    if (!segment)
        return;
    tweakedBox = segment->tweaked && segment->vbrMode;
    bitrateValue = shownBitrate(*segment);
    segmentSizePercent = planning::videoSizePercent(m_project, *segment);
    reductionValue = segment->reductionPercent();
    vbrChecked = segment->vbrMode;
    opvChecked = !segment->vbrMode;
    setEnabled(Control::CustomQButton,
               !segment->vbrMode && segment->significantCells != 0 && m_project.cceType != 2);
}

void MainWindow::positionSlider()
{
    sliderPosition = sliderRange.position(reductionValue);
}

// ---- Commands ------------------------------------------------------------------------------

bool MainWindow::load()
{
    const std::optional<std::string> path = m_desktop.chooseOpenFile(
        "Open Rebuilder.inf ...", parseFilterString("Rebuilder.inf|REBUILDER.INF||"), "REBUILDER.INF");
    if (!path)
        return false;
    return loadFrom(*path);
}

bool MainWindow::loadFrom(const std::string &infPath, Project::InterruptedSaves interrupted)
{
    const bool ok = m_project.load(infPath, m_desktop, interrupted);
    applyLoadRules(ok && m_project.isLoaded());
    return ok;
}

void MainWindow::selectRow(int row)
{
    if (row < 0 || row >= int(rowMap.size()))
        return;
    selectedRow = row;
    selectionRules();
}

void MainWindow::autosizedClicked()
{
    Segment *segment = selectedSegment();
    if (!segment || !isEnabled(Control::AutosizedBox))
        return;
    segment->autosized = autosizedBox;
    updateSegmentControls();
    // Clearing the box only frees the segment; its bitrates stay until the user sets them.
    if (autosizedBox) {
        m_project.autosize(hideInsignificant);
        refresh();
        positionSlider();
    }
}

void MainWindow::bitrateTyped()
{
    Segment *segment = selectedSegment();
    if (!segment || !isEnabled(Control::BitrateEdit))
        return;
    if (bitrateValue == shownBitrate(*segment))
        return;
    // The cells are capped at their source size long before this, and one more must still fit.
    const int typed = bitrateValue >= unsigned(INT_MAX) ? INT_MAX - 1 : int(bitrateValue);
    // One above the typed value makes up for the truncation of every cell's bitrate.
    segment->setAverageBitrate(typed + 1);
    m_project.autosize(hideInsignificant);
    refresh();
    positionSlider();
}

void MainWindow::sliderMoved()
{
    const Segment *segment = selectedSegment();
    if (!segment || segment->autosized)
        return;
    reductionChosen(sliderRange.reduction(sliderPosition));
}

void MainWindow::reductionChosen(double percent)
{
    Segment *segment = selectedSegment();
    if (!segment || segment->autosized)
        return;
    // The slider reports every redraw; only a real move re-plans.
    if (!(std::abs(percent - reductionValue) > 0.01))
        return;
    segment->setReductionPercent(percent);
    m_project.autosize(hideInsignificant);
    refresh();
}

void MainWindow::hideClicked()
{
    if (!m_project.isLoaded())
        return;
    buildList();
}

void MainWindow::opvForSmallClicked()
{
    selectionRules();
}

void MainWindow::resetBitrates()
{
    if (!m_project.isLoaded())
        return;
    m_project.resetBitrates();
    totalSizePercent = planning::totalVideoSizePercent(m_project);
    // The disc estimate follows the bitrates; left alone it would show the plan just undone.
    statusText = statusTextOf(m_project);
    const Segment *segment = selectedSegment();
    if (!segment)
        return;
    tweakedBox = segment->tweaked;
    bitrateValue = shownBitrate(*segment);
    segmentSizePercent = unclampedSizePercent(m_project, *segment);
    reductionValue = segment->reductionPercent();
    positionSlider();
    autosizedBox = segment->autosized;
    updateSegmentControls();
}

bool MainWindow::save(const Project::PredictionStep &predict)
{
    if (!m_project.isLoaded())
        return false;
    totalSizePercent = planning::totalVideoSizePercent(m_project);
    if (totalSizePercent > planning::oversizeThreshold && !m_desktop.askYesNo(oversizeQuestion))
        return false;
    return saveWithoutAsking(predict);
}

bool MainWindow::saveWithoutAsking(const Project::PredictionStep &predict)
{
    if (!m_project.isLoaded())
        return false;
    if (!m_project.save(m_desktop, predict))
        return false;
    m_desktop.showMessage(savedMessage);
    refresh();
    return true;
}

void MainWindow::vbrClicked()
{
    Segment *segment = selectedSegment();
    if (!segment || !isEnabled(Control::VbrRadio))
        return;
    segment->vbrMode = true;
    segment->replanned = false;
    const int type = m_project.cceType;
    segment->settings.videoType = type == 1 ? 4 : (type == 3 || type == -1) ? 16 : 2;
    selectionRules();
}

void MainWindow::opvClicked()
{
    Segment *segment = selectedSegment();
    if (!segment || !isEnabled(Control::OpvRadio))
        return;
    segment->vbrMode = false;
    segment->replanned = true;
    const int type = m_project.cceType;
    segment->settings.videoType = type == 1 ? 2 : (type == 3 || type == -1) ? 4 : 0;
    selectionRules();
}

bool MainWindow::exitRequested()
{
    if (m_project.scriptsModified)
        return m_desktop.askYesNo(exitQuestion);
    return true;
}

void MainWindow::previewClicked()
{
    if (selectedSegment() && isEnabled(Control::PreviewButton) && previewHook)
        previewHook(currentSegment);
}

void MainWindow::afterTweakCells()
{
    const Segment *segment = selectedSegment();
    if (!segment)
        return;
    m_project.autosize(hideInsignificant);
    sliderRange = planning::segmentSliderRange(*segment);
    refresh();
    positionSlider();
}

void MainWindow::afterLinkVobIds()
{
    if (!m_project.isLoaded()) {
        applyLoadRules(false);
        return;
    }
    buildList();
}

void MainWindow::afterGlobalOptions()
{
    if (!m_project.isLoaded())
        return;
    m_project.autosize(hideInsignificant);
    totalSizePercent = planning::totalVideoSizePercent(m_project);
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
