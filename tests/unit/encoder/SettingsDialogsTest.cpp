#include "encoder/Cce270SettingsDialog.h"
#include "encoder/CceSpSettingsDialog.h"
#include "encoder/EncoderSettingsDialog.h"
#include "support/FakeDesktop.h"
#include "support/ProjectBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using S = EncoderSettings;
using Field = SettingsDialogBase::Field;
using B = SettingsDialogBase;
using C = CceSettingsDialogBase;
using G = EncoderSettingsDialog;

// The windows by the CCE type that opens them (CCE mode).
constexpr int cce270 = 3, sp = 1, oldSp = 0, generic = 2;

// One segment in a project of the given CCE type and mode, and its settings window.
struct Harness {
    explicit Harness(int cceType, const std::function<void(EncoderSettings &)> &setup = {}, int encoderMode = 1)
        : project(ProjectBuilder().segment().cell(1000, 4000).build())
    {
        project.cceType = cceType;
        project.encoderMode = encoderMode;
        settings() = typicalSettings();
        if (setup)
            setup(settings());
        opened = settings();
        dialog = openSettingsDialog(project, project.segment(0), desktop);
    }
    Project project;
    FakeDesktop desktop;
    EncoderSettings opened;
    std::unique_ptr<SettingsDialogBase> dialog;

    EncoderSettings &settings() { return project.segment(0).settings; }
    Control control(int id) const { return dialog->controls().at(id); }
    C &cce() { return dynamic_cast<C &>(*dialog); }
};

std::function<void(EncoderSettings &)> set(Field field, int value)
{
    return [=](EncoderSettings &s) { s.*field = value; };
}

} // namespace

// Opening shows each field on its control; a value a control cannot show stays as it is.
TEST(SettingsDialogs, OpeningShowsEachFieldAndChangesNone)
{
    enum Prop { Checked, Selected, Position, Enabled, Text };
    struct Case {
        int cceType;
        std::function<void(EncoderSettings &)> setup;
        int id;
        Prop prop;
        std::string shown;
    };
    const Case cases[] = {
        {cce270, set(&S::vbrPasses, 3), C::PassesList, Selected, "2"}, // " 4": one more than stored
        {cce270, set(&S::vbrPasses, 0), C::PassesList, Selected, "-1"},
        {sp, set(&S::vbrPasses, 10), C::PassesList, Selected, "-1"},
        {cce270, set(&S::intraDcPrecision, 2), B::Dc10Radio, Checked, "1"},
        {cce270, set(&S::intraDcPrecision, 3), B::Dc8Radio, Checked, "1"},
        {cce270, set(&S::gopHeader, 12), B::Gop12Radio, Checked, "1"},
        {sp, set(&S::gopHeader, 18), B::Gop15Radio, Checked, "1"},
        {cce270, set(&S::alternateScan, 1), B::AlternateRadio, Checked, "1"},
        {cce270, set(&S::alternateScan, -1), B::ZigZagRadio, Checked, "1"},
        {generic, set(&S::alternateScan, -1), B::AlternateRadio, Enabled, "0"},
        {cce270, set(&S::progressive, 1), B::ProgressiveBox, Checked, "1"},
        {sp, set(&S::progressive, -1), B::ProgressiveBox, Checked, "0"},
        {cce270, set(&S::progressive, -1), B::ProgressiveBox, Enabled, "0"},
        {cce270, set(&S::qmatIndex, -1), C::MatricesList, Selected, "5"},
        {sp, set(&S::qmatIndex, 7), C::MatricesList, Selected, "-1"},
        {cce270, set(&S::quality, -1), B::QualitySlider, Position, "0"},
        {cce270, set(&S::quality, -1), B::QualityNumber, Text, "-1"},
        {sp, set(&S::quality, 80), B::QualitySlider, Position, "64"},
        {cce270, set(&S::hFilterIndex, 60), C::LowPassSlider, Position, "47"},
        {cce270, set(&S::hFilter, -1), C::LowPassBox, Checked, "1"}, // no key in the list
        {cce270, set(&S::hFilter, 0), C::LowPassSlider, Enabled, "0"},
        {cce270, set(&S::noMove, 1), C::FadesBox, Checked, "1"},
        // the oldest SP: no matrices, bias, low pass or dither
        {oldSp, set(&S::qmatIndex, 2), C::MatricesList, Selected, "-1"},
        {oldSp, set(&S::qmatIndex, 2), C::MatricesList, Enabled, "0"},
        {oldSp, set(&S::vbrBias, 40), C::BiasSlider, Position, "0"},
        {oldSp, set(&S::vbrBias, 40), C::BiasNumber, Text, "0"},
        {oldSp, set(&S::hFilter, 1), C::LowPassBox, Checked, "0"},
        {oldSp, set(&S::dither, 1), C::DitherBox, Enabled, "0"},
        {oldSp, set(&S::useFilter, 1), C::VerticalSlider, Enabled, "1"},
        // the generic window: filter radios, quality only with the filters off
        {generic, [](S &s) { s.filterOff = 0; s.pictType = 1; }, G::FilterCgRadio, Checked, "1"},
        {generic, [](S &s) { s.filterOff = -1; s.pictType = 5; }, G::FilterAnimationRadio, Checked, "1"},
        {generic, set(&S::filterOff, 1), G::ComplexitySlider, Enabled, "0"},
        {generic, set(&S::filterOff, 0), B::QualitySlider, Enabled, "0"},
        {generic, set(&S::quality, -1), B::QualitySlider, Enabled, "0"},
        {generic, set(&S::quality, -1), B::QualityNumber, Text, "0"},
    };
    for (const Case &c : cases) {
        Harness h(c.cceType, c.setup);
        SCOPED_TRACE(h.dialog->caption() + " control " + std::to_string(c.id));
        const Control control = h.control(c.id);
        ASSERT_EQ(control.id, c.id);
        const std::string shown = c.prop == Checked    ? std::to_string(control.checked)
                                  : c.prop == Selected ? std::to_string(control.selected)
                                  : c.prop == Position ? std::to_string(control.position)
                                  : c.prop == Enabled  ? std::to_string(control.enabled)
                                                       : control.text;
        EXPECT_EQ(shown, c.shown);
        EXPECT_TRUE(h.dialog->okClicked());
        EXPECT_EQ(h.settings(), h.opened);
    }
}

// Each control writes its field the moment it changes; Cancel puts every field back. Commands
// on disabled controls and slider positions outside the range change nothing.
TEST(SettingsDialogs, ControlsWriteAtOnceAndCancelPutsTheSnapshotBack)
{
    using Act = std::function<void(SettingsDialogBase &)>;
    auto radio = [](int id) -> Act { return [=](SettingsDialogBase &d) { d.radioClicked(id); }; };
    auto check = [](int id, bool on) -> Act { return [=](SettingsDialogBase &d) { d.checkClicked(id, on); }; };
    auto slide = [](int box, int id, int position) -> Act {
        return [=](SettingsDialogBase &d) {
            if (box)
                d.checkClicked(box, true);
            d.sliderMoved(id, position);
        };
    };
    auto choose = [](int id, int row) -> Act { return [=](SettingsDialogBase &d) { d.listChosen(id, row); }; };
    struct Case {
        int cceType;
        std::function<void(EncoderSettings &)> setup;
        Act act;
        Field field;
        int expected;
    };
    const Case cases[] = {
        {cce270, {}, choose(C::PassesList, 8), &S::vbrPasses, 9}, // "10"
        {cce270, {}, radio(B::Dc10Radio), &S::intraDcPrecision, 2},
        {generic, set(&S::intraDcPrecision, 3), radio(B::Dc8Radio), &S::intraDcPrecision, 0},
        {sp, {}, radio(B::Gop12Radio), &S::gopHeader, 12},
        {cce270, {}, radio(B::AlternateRadio), &S::alternateScan, 1},
        {cce270, set(&S::alternateScan, -1), radio(B::AlternateRadio), &S::alternateScan, -1},
        {sp, {}, check(B::ProgressiveBox, true), &S::progressive, 1},
        {generic, set(&S::progressive, -1), check(B::ProgressiveBox, true), &S::progressive, -1},
        {cce270, {}, check(C::FadesBox, true), &S::noMove, 1},
        {cce270, {}, choose(C::MatricesList, 1), &S::qmatIndex, 1},
        {cce270, {}, choose(C::MatricesList, 1), &S::adjustQMatrix, 1}, // any choice ticks it
        {sp, {}, choose(C::MatricesList, 4), &S::qmatIndex, 4},
        {oldSp, {}, choose(C::MatricesList, 4), &S::qmatIndex, 0},
        {cce270, {}, slide(0, B::QualitySlider, 100), &S::quality, 100},
        {sp, {}, slide(0, B::QualitySlider, 65), &S::quality, 30}, // beyond 0..64
        {oldSp, {}, slide(0, B::QualitySlider, 65), &S::quality, 65},
        {cce270, {}, slide(0, C::BiasSlider, 70), &S::vbrBias, 70},
        {oldSp, {}, slide(0, C::BiasSlider, 70), &S::vbrBias, 40},
        {cce270, {}, check(C::LowPassBox, true), &S::hFilter, 1},
        {oldSp, {}, check(C::LowPassBox, true), &S::hFilter, 0},
        {cce270, {}, slide(0, C::LowPassSlider, 40), &S::hFilterIndex, 6}, // box unticked
        {cce270, {}, slide(C::LowPassBox, C::LowPassSlider, 47), &S::hFilterIndex, 47},
        {sp, {}, slide(C::LowPassBox, C::LowPassSlider, 11), &S::hFilterIndex, 6},
        {sp, {}, slide(C::VerticalBox, C::VerticalSlider, 64), &S::filterValue, 64},
        {oldSp, {}, slide(C::VerticalBox, C::VerticalSlider, 0), &S::filterValue, 0},
        {oldSp, {}, slide(C::VerticalBox, C::VerticalSlider, 33), &S::filterValue, 10},
        {cce270, {}, slide(C::DitherBox, C::DitherYSlider, 0), &S::ditherMax, 0},
        {sp, {}, slide(C::DitherBox, C::DitherYSlider, 0), &S::ditherMax, 20}, // SP starts at 1
        {cce270, {}, slide(C::DitherBox, C::DitherCSlider, 128), &S::ditherCMax, 128},
        {generic, {}, radio(G::FilterCgRadio), &S::filterOff, 0},
        {generic, {}, radio(G::FilterAnimationRadio), &S::pictType, 2},
        {generic, set(&S::filterOff, 0), radio(G::FilterNoneRadio), &S::filterOff, 1},
        {generic, {}, slide(0, B::QualitySlider, 55), &S::quality, 55},
        {generic, set(&S::filterOff, 0), slide(0, G::ComplexitySlider, 4), &S::pictComplexity, 4},
        {generic, {}, slide(0, G::ComplexitySlider, 4), &S::pictComplexity, 2}, // filters off
    };
    for (const Case &c : cases) {
        Harness h(c.cceType, c.setup);
        SCOPED_TRACE(h.dialog->caption() + " case " + std::to_string(&c - cases));
        c.act(*h.dialog);
        EXPECT_EQ(h.settings().*c.field, c.expected);
        h.dialog->cancelClicked();
        EXPECT_EQ(h.settings(), h.opened);
    }
}

TEST(SettingsDialogs, PresetsWriteTheirRowWithTheValuesOfOpening)
{
    // useFilter, filterValue, dither, ditherMax, ditherCMax, hFilter, hFilterIndex, quality; the
    // values at opening are 0, 10, 0, 20, 10, 0, 6, 30.
    const Field fields[] = {&S::useFilter, &S::filterValue, &S::dither,       &S::ditherMax,
                            &S::ditherCMax, &S::hFilter,    &S::hFilterIndex, &S::quality};
    struct Case {
        int cceType;
        int preset;
        std::vector<int> values;
    };
    const Case cases[] = {
        {cce270, C::PresetNone, {0, 10, 0, 20, 10, 0, 6, 30}},
        {cce270, C::PresetNatural, {0, 10, 0, 20, 10, 1, 32, 16}},
        {cce270, C::PresetCg, {0, 10, 1, 12, 6, 1, 32, 3}},
        {cce270, C::PresetAnimation, {0, 10, 0, 20, 10, 1, 32, 24}},
        {sp, C::PresetNone, {0, 10, 0, 20, 10, 0, 6, 30}},
        {sp, C::PresetNatural, {1, 4, 0, 8, 10, 1, 8, 16}},
        {sp, C::PresetCg, {1, 12, 1, 12, 10, 1, 8, 3}},
        {sp, C::PresetAnimation, {1, 4, 1, 12, 10, 1, 8, 24}},
    };
    for (const Case &c : cases) {
        Harness h(c.cceType);
        SCOPED_TRACE(h.dialog->caption() + " preset " + std::to_string(c.preset));
        // Move everything away from its opening value first.
        for (int box : {C::LowPassBox, C::VerticalBox, C::DitherBox})
            h.dialog->checkClicked(box, true);
        for (auto [id, position] : {std::pair<int, int>{C::LowPassSlider, 9}, {C::VerticalSlider, 50}, {C::DitherYSlider, 100},
                                    {C::DitherCSlider, 90}, {B::QualitySlider, 60}})
            h.dialog->sliderMoved(id, position);
        h.cce().presetChosen(c.preset);
        for (std::size_t i = 0; i < std::size(fields); ++i)
            EXPECT_EQ(h.settings().*fields[i], c.values[i]) << "field " << i;
        EXPECT_EQ(h.cce().checkedPreset(), c.preset);
        EXPECT_EQ(h.control(C::PresetNoneRadio + c.preset).checked, true);
        // Quality and bias are not what a preset is recognised by: the radio stays.
        h.dialog->sliderMoved(B::QualitySlider, 1);
        h.dialog->sliderMoved(C::BiasSlider, 1);
        EXPECT_EQ(h.cce().checkedPreset(), c.preset);
        h.dialog->cancelClicked();
        EXPECT_EQ(h.settings(), h.opened);
    }
    Harness old(oldSp);
    old.cce().presetChosen(C::PresetNatural);
    EXPECT_EQ(old.settings(), old.opened);
    EXPECT_FALSE(old.control(C::PresetNaturalRadio).enabled);
}

TEST(SettingsDialogs, FilterChangesShowTheRecognisedPreset)
{
    // hFilter, useFilter, dither, hFilterIndex, filterValue, ditherMax, ditherCMax, quality
    struct Case {
        int cceType;
        std::array<int, 8> values;
        int shown;
    };
    const Case cases[] = {
        {cce270, {0, 0, 0, 32, 4, 12, 6, 16}, C::PresetNone},
        {cce270, {0, 1, 0, 32, 4, 12, 6, 16}, C::NoPreset},
        {cce270, {0, 0, 1, 32, 4, 12, 6, 16}, C::NoPreset},
        {cce270, {1, 0, 1, 32, 4, 12, 6, 3}, C::PresetCg},
        {cce270, {1, 0, 1, 32, 4, 12, 7, 3}, C::PresetNone},
        {cce270, {1, 0, 1, 32, 4, 12, 6, 4}, C::PresetNone},
        {cce270, {1, 1, 0, 32, 4, 12, 6, 16}, C::PresetNatural}, // the vertical filter plays no part
        {cce270, {-1, 0, 0, 32, 4, 12, 6, 24}, C::PresetAnimation},
        {cce270, {1, 0, 0, 32, 4, 12, 6, 20}, C::PresetNone},
        {cce270, {1, 0, 0, 31, 4, 12, 6, 16}, C::PresetNone},
        {sp, {0, 0, 0, 8, 4, 12, 6, 16}, C::PresetNone},
        {sp, {1, 0, 0, 8, 4, 12, 6, 16}, C::NoPreset},
        {sp, {0, 0, 1, 8, 4, 12, 6, 16}, C::NoPreset},
        {sp, {0, 1, 0, 8, 4, 12, 6, 16}, C::NoPreset},
        {sp, {1, 1, 0, 8, 4, 12, 6, 99}, C::PresetNatural}, // quality plays no part
        {sp, {1, 1, 0, 8, 5, 12, 6, 16}, C::NoPreset},
        {sp, {1, 1, 1, 8, 12, 12, 6, 16}, C::PresetCg},
        {sp, {1, 1, 1, 8, 4, 12, 6, 16}, C::PresetAnimation},
        {sp, {1, 1, 1, 8, 4, 11, 6, 16}, C::NoPreset},
        {sp, {1, 1, 1, 7, 12, 12, 6, 16}, C::NoPreset},
        {oldSp, {0, 0, 0, 8, 4, 12, 6, 16}, C::NoPreset},
    };
    for (const Case &c : cases) {
        const auto &v = c.values;
        Harness h(c.cceType, [&](S &s) {
            s.hFilter = v[0], s.useFilter = v[1], s.dither = v[2], s.hFilterIndex = v[3];
            s.filterValue = v[4], s.ditherMax = v[5], s.ditherCMax = v[6], s.quality = v[7];
        });
        EXPECT_EQ(h.cce().checkedPreset(), c.shown) << h.dialog->caption() << " case " << (&c - cases);
    }
    // The filter boxes and sliders show it again after each change.
    Harness h(cce270, [](S &s) { s.hFilter = 1, s.hFilterIndex = 32, s.quality = 16; });
    EXPECT_EQ(h.cce().checkedPreset(), C::PresetNatural);
    h.dialog->sliderMoved(C::LowPassSlider, 31);
    EXPECT_EQ(h.cce().checkedPreset(), C::PresetNone);
    h.dialog->checkClicked(C::LowPassBox, false);
    h.dialog->checkClicked(C::DitherBox, true);
    EXPECT_EQ(h.cce().checkedPreset(), C::NoPreset);
}

TEST(SettingsDialogs, SliderRangesAndCaptionsPerWindow)
{
    struct Case {
        int cceType;
        int id;
        int minimum, maximum;
    };
    const Case cases[] = {
        {cce270, B::QualitySlider, 0, 100}, {cce270, C::LowPassSlider, 4, 47}, {cce270, C::VerticalSlider, 1, 64},
        {cce270, C::DitherYSlider, 0, 128}, {cce270, C::DitherCSlider, 0, 128}, {sp, B::QualitySlider, 0, 64},
        {sp, C::LowPassSlider, 2, 10},      {sp, C::VerticalSlider, 1, 64},     {sp, C::DitherYSlider, 1, 128},
        {-1, B::QualitySlider, 0, 64},      {oldSp, B::QualitySlider, 0, 100}, {oldSp, C::VerticalSlider, 0, 32},
        {generic, B::QualitySlider, 0, 100}, {generic, G::ComplexitySlider, 0, 4},
    };
    for (const Case &c : cases) {
        Harness h(c.cceType);
        const Control slider = h.control(c.id);
        EXPECT_EQ(std::pair(slider.minimum, slider.maximum), std::pair(c.minimum, c.maximum))
            << h.dialog->caption() << " " << c.id;
    }
    EXPECT_EQ(Harness(oldSp).control(C::VerticalCaption).text, "Anti noise");
    EXPECT_EQ(Harness(sp).control(C::VerticalCaption).text, "Effect Restricted Vertical");
    EXPECT_EQ(Harness(cce270).control(C::VerticalBox).text, "Vertical Filter");
    EXPECT_EQ(Harness(sp).control(C::BiasLabel).text, "CCE SP 2.6x VBR Bias");
    // Only CCE 2.70 has these.
    const ControlTable spControls = Harness(sp).dialog->controls();
    for (int id : {C::FadesBox, C::AdjustQBox, C::DitherCSlider})
        EXPECT_EQ(spControls.find(id), nullptr) << id;
    EXPECT_EQ(Harness(generic).control(B::SegmentText).text, "VTS 1 - VobID 2");
}

TEST(SettingsDialogs, BitrateBoundsFollowEachOtherAndOkChecksThem)
{
    struct Step {
        int id;
        std::string text;
    };
    struct Case {
        std::vector<Step> typed;
        int minimum, maximum;
        std::vector<std::string> messages;
    };
    const std::string integer = "Please enter an integer.";
    const std::string minRange = "Please enter an integer between 0 and 9000.";
    const std::string maxRange = "Please enter an integer between 0 and 9800.";
    const Case cases[] = {
        {{{B::MinBitrateEdit, "5000"}, {B::MaxBitrateEdit, "4000"}}, 4000, 4000, {}},
        {{{B::MaxBitrateEdit, "3000"}, {B::MinBitrateEdit, "3500"}}, 3500, 3500, {}},
        {{{B::MinBitrateEdit, "9500"}}, 9500, 9500, {minRange}}, // stored after its message
        {{{B::MaxBitrateEdit, "-1"}}, -1, -1, {maxRange}},
        {{{B::MinBitrateEdit, "12x"}}, 2000, 8000, {integer}},
        {{{B::MaxBitrateEdit, " 9800 "}}, 2000, 9800, {}},
    };
    for (const Case &c : cases) {
        Harness h(cce270);
        for (const Step &step : c.typed)
            h.dialog->editCommitted(step.id, step.text);
        EXPECT_EQ(std::pair(h.settings().minBitrate, h.settings().maxBitrate), std::pair(c.minimum, c.maximum));
        EXPECT_EQ(h.desktop.messageTexts(), c.messages) << c.typed[0].text;
    }

    // OK checks the edits: refused, the focus goes back to the edit and the window stays. The
    // CCE windows ask for a new Q factor even then; the generic one never does.
    struct Ok {
        int cceType;
        Step typed;
        bool closes;
        int focus;
        bool replanned;
    };
    const Ok oks[] = {
        {cce270, {B::MinBitrateEdit, "3000"}, true, 0, true},
        {sp, {B::MinBitrateEdit, "x"}, false, B::MinBitrateEdit, true},
        {sp, {B::MaxBitrateEdit, "9900"}, false, B::MaxBitrateEdit, true},
        {generic, {B::MinBitrateEdit, "3000"}, true, 0, false},
        {generic, {B::MinBitrateEdit, "9001"}, false, B::MinBitrateEdit, false},
    };
    for (const Ok &ok : oks) {
        Harness h(ok.cceType);
        h.dialog->editCommitted(ok.typed.id, ok.typed.text);
        const std::size_t shown = h.desktop.messages.size();
        EXPECT_EQ(h.dialog->okClicked(), ok.closes) << ok.typed.text;
        EXPECT_EQ(h.desktop.messages.size(), shown + (ok.closes ? 0 : 1));
        EXPECT_EQ(h.dialog->takeFocusRequest(), ok.focus);
        EXPECT_EQ(h.project.segment(0).replanned, ok.replanned);
    }
}

TEST(SettingsDialogs, CustomMatricesInTheWindow)
{
    TempFolder folder;
    std::string file;
    for (int i = 0; i < 16; ++i)
        file += "8 16 19 22 26 27 29 34\r\n";
    const std::string good = folder.write("good.txt", file);
    const std::string bad = folder.write("bad.txt", "8 16\r\n");
    struct Case {
        int qmatIndex;
        std::optional<std::string> chosen;
        int qmatIndexAfter, shownRow;
        bool linesFromFile;
    };
    const Case cases[] = {
        {2, std::nullopt, 2, 2, false}, // dismissed: the list goes back
        {-1, std::nullopt, -1, 5, false},
        {2, good, -1, 5, true},
        {-1, bad, 0, 0, false}, // "Standard" instead of a custom matrix it may not have
        {3, bad, 3, 3, false},
    };
    for (const Case &c : cases) {
        Harness h(cce270, set(&S::qmatIndex, c.qmatIndex));
        h.desktop.chosenFiles.push_back(c.chosen);
        h.dialog->listChosen(C::MatricesList, C::customMatricesRow);
        EXPECT_EQ(h.settings().qmatIndex, c.qmatIndexAfter);
        EXPECT_EQ(h.control(C::MatricesList).selected, c.shownRow);
        EXPECT_EQ(h.settings().adjustQMatrix, 1);
        EXPECT_EQ(h.settings().qmatLines[15], c.linesFromFile ? "8 16 19 22 26 27 29 34" : "");
        // Cancel puts the index back, but lines read from a file stay.
        h.dialog->cancelClicked();
        EXPECT_EQ(h.settings().qmatIndex, c.qmatIndex);
        EXPECT_EQ(h.settings().qmatLines[15], c.linesFromFile ? "8 16 19 22 26 27 29 34" : "");
    }
}

TEST(SettingsDialogs, ProModeShowsOnlyTheSharedSettings)
{
    Harness pro(cce270, {}, 3);
    ASSERT_EQ(pro.dialog->caption(), "Encoder settings");
    EXPECT_EQ(pro.control(B::TitleLabel).text, "Encoder Settings for");
    const ControlTable table = pro.dialog->controls();
    for (const Control &control : table.all()) {
        const int id = control.id;
        const bool shared = (id >= B::TitleLabel && id < B::ScanGroup) || id == B::ProgressiveBox
                            || (id >= B::MinBitrateLabel && id <= B::MaxBitrateEdit) || id == B::OkButton
                            || id == B::CancelButton;
        EXPECT_EQ(control.visible, shared) << control.id;
    }
    pro.dialog->radioClicked(G::FilterCgRadio);
    EXPECT_TRUE(pro.dialog->okClicked());
    EXPECT_EQ(pro.settings(), pro.opened);
    EXPECT_FALSE(pro.project.segment(0).replanned);
}
