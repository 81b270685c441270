#include "planning/GlobalOptionsDialog.h"

#include "common/Format.h"
#include "planning/Planning.h"
#include "planning/Truncate.h"
#include "settings/AppSettings.h"

#include <algorithm>
#include <cmath>

namespace {

// The window's texts, in one place until every window takes them from a shared one.
std::string estimateText(const Project &project, double percent)
{
    return cformat("DVD Estimated Size %lld MB", (long long)planning::projectedMegabytes(project, percent));
}

std::string sectorsText(const Project &project, double percent)
{
    return cformat("TargetSectors %lld", (long long)planning::projectedSectors(project, percent));
}

} // namespace

GlobalOptionsDialog::GlobalOptionsDialog(Project &project, Desktop &desktop, AppSettings &settings,
                                         std::string settingsFolder)
    : m_project(project), m_desktop(desktop), m_settings(settings), m_settingsFolder(std::move(settingsFolder))
{
    // The slider's first drawing reads its position back, as a trackbar keeps it in range.
    const int position = planning::detail::truncateToInt(planning::outputSizePercent(project) * 10);
    sliderMoved(std::clamp(position, sliderMinimum, sliderMaximum));
}

ControlTable GlobalOptionsDialog::controls() const
{
    ControlTable table;
    table.add(EstimateEdit, readOnlyEdit(estimateText(m_project, m_outputPercent)));
    table.add(SectorsEdit, readOnlyEdit(sectorsText(m_project, m_outputPercent)));
    table.add(PercentEdit, readOnlyEdit(formatGeneral(m_outputPercent, 15)));
    table.add(PercentSlider, slider(sliderMinimum, sliderMaximum, std::clamp(m_sliderPosition, sliderMinimum, sliderMaximum)));
    table.add(RestoreButton, button("&Restore Original"));
    table.add(MediaPlayerButton, button("Select &MPlayer"));
    table.add(CceButton, button("Select &CCE"));
    table.add(OkButton, button("OK"));
    table.add(CancelButton, button("Cancel"));
    return table;
}

void GlobalOptionsDialog::sliderMoved(int position)
{
    m_sliderPosition = position;
    m_outputPercent = position * 0.1;
}

void GlobalOptionsDialog::percentChosen(double percent)
{
    if (!std::isfinite(percent))
        return;
    m_outputPercent = percent;
    m_sliderPosition = planning::detail::truncateToInt(percent * 10);
}

bool GlobalOptionsDialog::restoreClicked()
{
    return restoreOriginals(m_project, m_desktop);
}

void GlobalOptionsDialog::selectMediaPlayerClicked()
{
    chooseMediaPlayer(m_settings, m_settingsFolder, m_desktop);
}

void GlobalOptionsDialog::selectCceClicked()
{
    chooseCce(m_settings, m_settingsFolder, m_desktop);
}

bool GlobalOptionsDialog::okClicked()
{
    if (m_result != DialogResult::Open)
        return false;
    // Only the target moves here; the main window's automatic distribution then rescales.
    m_project.setOutputSizePercent(m_outputPercent);
    m_result = DialogResult::Ok;
    return true;
}

void GlobalOptionsDialog::cancelClicked()
{
    if (m_result == DialogResult::Open)
        m_result = DialogResult::Cancel;
}
