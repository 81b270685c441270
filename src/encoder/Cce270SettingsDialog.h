#pragma once

#include "encoder/CceSettingsDialogBase.h"

// "CCE 2.70 Settings": the CCE settings of one segment for CCE 2.70, with its chroma dither,
// fades and adaptive-Q controls. Control ids in CceSettingsDialogBase and SettingsDialogBase.
class Cce270SettingsDialog : public CceSettingsDialogBase {
public:
    Cce270SettingsDialog(const Project &project, Segment &segment, Desktop &desktop);

    // The preset a set of values shows as: the low pass decides, then dithering.
    static int recognisedPreset(const EncoderSettings &settings);
};
