#pragma once

#include "encoder/CceSettingsDialogBase.h"

// "CCE SP settings": the CCE settings of one segment for CCE SP. The older SP (CCE type 0)
// offers less: no matrices, VBR bias, low pass, dithering or presets, a wider quality range
// and an "Anti noise" vertical filter of 0..32. Control ids in CceSettingsDialogBase and
// SettingsDialogBase.
class CceSpSettingsDialog : public CceSettingsDialogBase {
public:
    CceSpSettingsDialog(const Project &project, Segment &segment, Desktop &desktop);

    bool fullSpFeatures() const { return profile().full; }
    // The preset a set of values shows as (full level): the vertical filter decides, then the
    // low pass and dithering; quality plays no part.
    static int recognisedPreset(const EncoderSettings &settings);
};
