#include "encoder/EncoderKinds.h"

namespace {

using W = SettingsWindow;

// CCE SP 2.6x (0), SP 1.x (1), SP 1.x with "q_char_f=" (-1), CCE 2.50 (2), CCE 2.70 (3).
constexpr CceKind cceKinds[] = {
    // type known  vbr opv switch four   qCharF dcPair dither lowPass window      fullSp vertical caption
    {0,  true,  2,  0, true,  false, false, false, false, false, W::CceSp,   false, "Anti noise"},
    {1,  true,  4,  2, true,  true,  true,  false, false, false, W::CceSp,   true,  "Effect Restricted Vertical"},
    {-1, true,  16, 4, true,  false, false, false, false, false, W::CceSp,   true,  "Effect Restricted Vertical"},
    // CCE 2.50 segments keep the mode DVD-Rebuilder prepared: the VBR/OPV buttons stay off.
    {2,  true,  2,  0, false, false, false, false, false, false, W::Generic, false, "Effect Restricted Vertical"},
    {3,  true,  16, 4, true,  false, false, true,  true,  true,  W::Cce270,  false, "Effect Restricted Vertical"},
};
constexpr int newerSpCceType = -1;

// A type no version has: its keys are read and written in the plain form, and no window opens.
constexpr CceKind unknownCce = {0, false, 2, 0, true, false, false, false, false, false, W::None, false,
                                "Effect Restricted Vertical"};

constexpr EncoderModeKind cceMode = {1, "&CCE Settings", false, true};
constexpr EncoderModeKind proMode = {3, "PRO Settings", true, false};
constexpr EncoderModeKind otherMode = {0, nullptr, false, false};

} // namespace

const CceKind &cceKind(int cceType)
{
    for (const CceKind &kind : cceKinds)
        if (kind.cceType == cceType)
            return kind;
    return unknownCce;
}

const EncoderModeKind &encoderModeKind(int encoderMode)
{
    if (encoderMode == cceMode.encoderMode)
        return cceMode;
    if (encoderMode == proMode.encoderMode)
        return proMode;
    return otherMode;
}

SettingsWindow settingsWindow(int encoderMode, int cceType)
{
    const EncoderModeKind &mode = encoderModeKind(encoderMode);
    if (!mode.settingsCaption)
        return W::None;
    if (mode.genericWindow)
        return W::Generic;
    return cceKind(cceType).window;
}

const char *settingsWindowCaption(SettingsWindow window)
{
    switch (window) {
    case W::CceSp: return "CCE SP settings";
    case W::Cce270: return "CCE 2.70 Settings";
    case W::Generic: return "Encoder settings";
    case W::None: break;
    }
    return "";
}

bool videoTypeMeansVbr(int cceType, int code)
{
    return code == 8 || code == 16 || (code == 4 && cceKind(cceType).videoTypeFourIsVbr);
}

bool vmodeMeansVbr(int code)
{
    return code == 2;
}

int cceTypeAfterQCharF(int cceType)
{
    return cceKind(cceType).qCharFMeansNewerSp ? newerSpCceType : cceType;
}

bool isUnsupportedCceType(int cceType)
{
    return cceType > 3;
}
