#include "encoder/Cce270SettingsDialog.h"
#include "encoder/CceSpSettingsDialog.h"
#include "encoder/EncoderSettingsDialog.h"

std::unique_ptr<SettingsDialogBase> openSettingsDialog(const Project &project, Segment &segment, Desktop &desktop)
{
    switch (settingsWindow(project.encoderMode, project.cceType)) {
    case SettingsWindow::Cce270: return std::make_unique<Cce270SettingsDialog>(project, segment, desktop);
    case SettingsWindow::CceSp: return std::make_unique<CceSpSettingsDialog>(project, segment, desktop);
    case SettingsWindow::Generic: return std::make_unique<EncoderSettingsDialog>(project, segment, desktop);
    case SettingsWindow::None: break;
    }
    return nullptr;
}
