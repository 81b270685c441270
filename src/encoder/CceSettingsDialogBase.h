#pragma once

// The two CCE settings windows, CCE 2.70 and CCE SP, share their whole layout: passes,
// quality and VBR bias sliders, the matrices list, the three filters with their sliders, and
// the filter presets. What differs (slider ranges, which parts the older SP offers, the preset
// values and how a preset is recognised, the controls only CCE 2.70 has) is a Profile that
// each window hands to this base.

#include "encoder/Matrices.h"
#include "encoder/SettingsDialogBase.h"

#include <array>
#include <optional>

class CceSettingsDialogBase : public SettingsDialogBase {
public:
    enum Id : int {
        PassesLabel = 1200,      // "Passes"
        PassesList = 1201,       // " 2" .. "10": vbrPasses + 1 is shown
        FadesBox = 1210,         // "Fades on a static scene": noMove (CCE 2.70)
        BiasLabel = 1230,        // "VBR Bias" / "CCE SP 2.6x VBR Bias"
        BiasSlider = 1231,       // vbrBias 0..100
        BiasNumber = 1232,
        MatricesLabel = 1240,    // "Quantization Matrices"
        MatricesList = 1241,     // qmatIndex 0..4, "Custom" = -1
        AdjustQBox = 1242,       // "Disable Adaptive Q matrix switching": adjustQMatrix (CCE 2.70)
        FiltersGroup = 1250,     // "Filters"
        LowPassBox = 1251,       // "Low Pass": hFilter
        LowPassSlider = 1252,    // hFilterIndex
        LowPassNumber = 1253,
        VerticalBox = 1254,      // "Vertical Filter" (SP: no caption, see VerticalCaption): useFilter
        VerticalSlider = 1255,   // filterValue
        VerticalNumber = 1256,
        VerticalCaption = 1257,  // SP: "Anti noise" / "Effect Restricted Vertical"
        DitherBox = 1258,        // "Dithered Quantization": dither
        DitherYLabel = 1259,     // "Y"
        DitherYSlider = 1260,    // ditherMax
        DitherYNumber = 1261,
        DitherCLabel = 1262,     // "C" (CCE 2.70)
        DitherCSlider = 1263,    // ditherCMax (CCE 2.70)
        DitherCNumber = 1264,
        PresetGroup = 1270,      // "Filters Presets" / "CCE SP 2.6x Presets"
        PresetNoneRadio = 1271,  // "None"
        PresetNaturalRadio = 1272, // "Natural Picture"
        PresetCgRadio = 1273,    // "Computer Graphics"
        PresetAnimationRadio = 1274, // "Animation"
    };
    // Preset rows, in the order of their radios; NoPreset when none shows as checked.
    enum Preset : int { NoPreset = -1, PresetNone = 0, PresetNatural = 1, PresetCg = 2, PresetAnimation = 3 };
    static constexpr int customMatricesRow = 5;

    static const std::vector<std::string> &passesRows();   // " 2", " 3", ... "10"
    static const std::vector<std::string> &matricesRows(); // "Standard" ... "Custom"
    static const std::array<const char *, 4> &presetCaptions();

    // What differs between the CCE 2.70 window and the two levels of the SP window.
    struct Range {
        int minimum;
        int maximum;
        int clamp(int value) const { return value < minimum ? minimum : value > maximum ? maximum : value; }
    };
    // A value a preset writes; nothing for the value the field had when the window opened.
    struct PresetValue {
        Field field;
        std::optional<int> value;
    };
    using PresetTable = std::array<std::vector<PresetValue>, 4>;

    struct Profile {
        Range quality;
        Range lowPass;
        Range vertical;
        Range ditherY;
        // Matrices, VBR bias, low pass, dither and presets can be used (not with the oldest SP).
        bool full;
        // CCE 2.70 only: "Fades on a static scene", the adaptive-Q switch (ticked by any
        // matrices choice) and the chroma dither slider.
        bool cce270Controls;
        const char *biasCaption;
        const char *presetsCaption;
        const char *verticalCaption; // text beside the vertical filter box; nullptr: its own caption
        const PresetTable *presets;
        // The preset a window shows for the settings, after a filter changed.
        int (*recognisedPreset)(const EncoderSettings &settings);
    };

    void passesChosen(int row);
    // A built-in matrix, or "Custom" with its file chooser; says how the file went.
    MatricesLoad matricesChosen(int row);
    void presetChosen(int row);
    // The preset radio shown as checked.
    int checkedPreset() const { return m_checkedPreset; }

protected:
    CceSettingsDialogBase(const Project &project, Segment &segment, Desktop &desktop, SettingsWindow kind,
                          const Profile &profile, std::vector<Field> restored);

    void addControls(ControlTable &table) const override;
    void onRadio(int id) override;
    void onCheck(int id, bool checked) override;
    void onSlider(int id, int position) override;
    void onList(int id, int row) override;

    const Profile &profile() const { return m_profile; }

private:
    void applyPreset(int preset);
    void indicatePreset();

    Profile m_profile;
    int m_checkedPreset = NoPreset;
};
