#pragma once

// Everything that depends on the CCE version a project names ("CCEType=" in Rebuilder.INF) and
// on DVD-Rebuilder's encoder mode ("mode="), in one table each: the mode codes the VBR and OPV
// buttons write, how the list reader tells VBR from a mode line, which item keys a version
// splits in two, which settings window opens and how it looks. Readers, writers and windows
// ask here instead of comparing the numbers themselves.

// The settings window the main window's settings button opens.
enum class SettingsWindow { None, CceSp, Cce270, Generic };

struct CceKind {
    int cceType;         // the type the row describes (0 in the row of unknown types)
    bool known;          // one of the versions this program knows
    int vbrVideoType;    // "video_type="/"vmode=" code written by the VBR button
    int opvVideoType;    // ... and by the OPV button
    bool switchesVbrOpv; // the VBR/OPV buttons and "Set Custom Q" can be used
    // "video_type=4" means VBR: CCE SP 1.x with the older quality key, where 4 is its VBR code
    // (for the other versions 4 is OPV).
    bool videoTypeFourIsVbr;
    // A "q_char_f=" line in the list shows the newer CCE SP 1.x: the type becomes -1.
    bool qCharFMeansNewerSp;
    // CCE 2.70 splits three settings over two keys each: the DC precision as the 9- and 10-bit
    // "max" pair, the dither limit as luma and chroma, the low-pass choice as two indices.
    bool dcPrecisionAsMaxPair;
    bool ditherPerPlane;
    bool lowPassIndexPair;
    SettingsWindow window; // under encoder mode 1 (CCE)
    bool fullSpFeatures;   // the CCE SP window at its full level; the older SP offers less
    const char *verticalFilterCaption; // beside the SP window's vertical filter box
};

struct EncoderModeKind {
    int encoderMode;
    const char *settingsCaption; // the settings button; nullptr: the button stays disabled
    bool genericWindow;          // "Encoder settings" whatever the CCE version
    bool editsCceFilters;        // that window shows filter, quality, complexity and scan order
};

// The row of a CCE type; an unknown type gets a row of its own that opens no settings window.
const CceKind &cceKind(int cceType);
const EncoderModeKind &encoderModeKind(int encoderMode);

// The window the settings button opens for a project.
SettingsWindow settingsWindow(int encoderMode, int cceType);
// The window's caption: "CCE SP settings", "CCE 2.70 Settings", "Encoder settings".
const char *settingsWindowCaption(SettingsWindow window);

// Does a "video_type=" value mean VBR for this CCE type? ("vmode=" is the same for all.)
bool videoTypeMeansVbr(int cceType, int code);
bool vmodeMeansVbr(int code);
// The CCE type once the list reader has met a "q_char_f=" line.
int cceTypeAfterQCharF(int cceType);

// Rebuilder.INF may name a version newer than any this program knows; it is then edited as
// this one, after saying so.
bool isUnsupportedCceType(int cceType);
inline constexpr int cceTypeForUnsupported = 2;
inline constexpr const char *unsupportedCceMessage = "Unsupported CCE version";
