#include "SettingsOperations.h"
#include "ForwardingDesktop.h"

#include "app/MainWindow.h"
#include "planning/Labels.h"
#include "common/Format.h"
#include "encoder/CceSettingsDialogBase.h"
#include "encoder/EncoderSettingsDialog.h"
#include "platform/Desktop.h"
#include "platform/TypedFields.h"

#include <array>
#include <cctype>

namespace {

using Kind = Operation::Kind;
using B = SettingsDialogBase;
using C = CceSettingsDialogBase;
using G = EncoderSettingsDialog;

// One name per control of the settings windows. Where a setting is a group of radio buttons,
// the group's radios; the value picks one by its caption.
struct SettingName {
    const char *name;
    std::vector<int> ids;
    const char *values; // for --help
    const char *field;  // for --help
};

const std::vector<SettingName> &settingNames()
{
    static const std::vector<SettingName> names = {
        {"passes", {C::PassesList}, "2 .. 10", "vbrPasses, one less than the entry (passes=4 stores 3)"},
        {"dc-precision", {B::Dc10Radio, B::Dc9Radio, B::Dc8Radio}, "10 | 9 | 8", "intraDcPrecision 2 | 1 | 0"},
        {"gop", {B::Gop12Radio, B::Gop15Radio}, "12 | 15", "gopHeader"},
        {"scan", {B::ZigZagRadio, B::AlternateRadio}, "ZigZag | Alternate", "alternateScan 0 | 1"},
        {"progressive", {B::ProgressiveBox}, "on | off", "progressive 1 | 0"},
        {"fades", {C::FadesBox}, "on | off", "noMove (CCE 2.70)"},
        {"quality", {B::QualitySlider}, "0 .. 100 (CCE SP of type 1 or -1: 0 .. 64)",
         "quality (Encoder settings: while filter is None)"},
        {"vbr-bias", {C::BiasSlider}, "0 .. 100", "vbrBias"},
        {"min-bitrate", {B::MinBitrateEdit}, "0 .. 9000", "minBitrate, kbit/s; raises maxBitrate below it"},
        {"max-bitrate", {B::MaxBitrateEdit}, "0 .. 9800", "maxBitrate, kbit/s; lowers minBitrate above it"},
        {"matrices", {C::MatricesList},
         "Standard | MPEG Standard | Smooth (CG etc.) | Very Low Bitrate | Ultra Low Bitrate",
         "qmatIndex 0 .. 4; CCE 2.70 also sets adjustQMatrix 1 (Custom: --matrices)"},
        {"disable-adaptive-q", {C::AdjustQBox}, "on | off", "adjustQMatrix (CCE 2.70)"},
        {"low-pass", {C::LowPassBox}, "on | off", "hFilter"},
        {"low-pass-value", {C::LowPassSlider}, "4 .. 47 (CCE SP: 2 .. 10)", "hFilterIndex"},
        {"vertical-filter", {C::VerticalBox}, "on | off", "useFilter"},
        {"vertical-filter-value", {C::VerticalSlider}, "1 .. 64 (CCE SP of type 0: 0 .. 32)", "filterValue"},
        {"dither", {C::DitherBox}, "on | off", "dither"},
        {"dither-y", {C::DitherYSlider}, "0 .. 128 (CCE SP: 1 .. 128)", "ditherMax"},
        {"dither-c", {C::DitherCSlider}, "0 .. 128", "ditherCMax (CCE 2.70)"},
        {"filter", {G::FilterNoneRadio, G::FilterNaturalRadio, G::FilterCgRadio, G::FilterAnimationRadio},
         "None | Natural Picture | Computer Graphics | Animation",
         "filterOff 1, or filterOff 0 and pictType 0 | 1 | 2 (Encoder settings)"},
        {"complexity", {G::ComplexitySlider}, "0 .. 4", "pictComplexity (Encoder settings)"},
    };
    return names;
}

const std::array<const char *, 4> presetNames = {"none", "natural", "cg", "animation"};

const SettingName *findSetting(const std::string &name)
{
    for (const SettingName &setting : settingNames())
        if (name == setting.name)
            return &setting;
    return nullptr;
}

int presetRow(const std::string &name)
{
    for (std::size_t row = 0; row < presetNames.size(); ++row)
        if (name == presetNames[row])
            return int(row);
    return -1;
}

// A caption as the user reads it: without the padding of " 4", in any letter case.
bool sameCaption(const std::string &caption, const std::string &value)
{
    const std::size_t begin = caption.find_first_not_of(' ');
    const std::string shown = begin == std::string::npos ? std::string() : caption.substr(begin);
    if (shown.size() != value.size())
        return false;
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (std::tolower((unsigned char)shown[i]) != std::tolower((unsigned char)value[i]))
            return false;
    return true;
}

// The CLI's desktop, but a file chooser answers with the file given on the command line.
class ChosenFileDesktop : public ForwardingDesktop {
public:
    ChosenFileDesktop(Desktop &inner, std::string file) : ForwardingDesktop(inner), m_file(std::move(file)) {}
    std::optional<std::string> chooseOpenFile(const std::string &, const std::vector<FileFilter> &,
                                              const std::string &) override
    {
        return m_file;
    }

private:
    std::string m_file;
};

// Acts on the control a setting names, as the user would; empty when done.
std::string setControl(SettingsDialogBase &dialog, const SettingName &setting, const std::string &value)
{
    const ControlTable table = dialog.controls();
    const std::string window = "the " + dialog.caption() + " window";
    std::vector<const Control *> group;
    for (int id : setting.ids)
        if (const Control *control = table.find(id))
            group.push_back(control);
    if (group.empty())
        return window + " has no " + setting.name;
    const Control &first = *group.front();
    if (!first.visible)
        return window + " does not show " + setting.name + " in this encoder mode";
    bool enabled = false;
    for (const Control *control : group)
        enabled = enabled || control->enabled;
    if (!enabled)
        return setting.name + std::string(" is disabled in ") + window;

    switch (first.kind) {
    case ControlKind::RadioButton:
        for (const Control *control : group) {
            if (!sameCaption(control->text, value))
                continue;
            if (!control->enabled)
                return "\"" + value + "\" is disabled in " + window;
            dialog.radioClicked(control->id);
            return {};
        }
        return cformat("%s takes %s, not \"%s\"", setting.name, setting.values, value.c_str());
    case ControlKind::CheckBox:
        if (value != "on" && value != "off")
            return cformat("%s takes on or off, not \"%s\"", setting.name, value.c_str());
        dialog.checkClicked(first.id, value == "on");
        return {};
    case ControlKind::Slider: {
        const std::optional<long long> position = parseInteger(value);
        if (!position || *position < first.minimum || *position > first.maximum)
            return cformat("%s takes %d to %d in %s, not \"%s\"", setting.name, first.minimum, first.maximum,
                           window.c_str(), value.c_str());
        dialog.sliderMoved(first.id, int(*position));
        return {};
    }
    case ControlKind::DropDown:
        for (std::size_t row = 0; row < first.rows.size(); ++row) {
            if (!sameCaption(first.rows[row], value))
                continue;
            if (first.id == C::MatricesList && int(row) == C::customMatricesRow)
                return "custom matrices come from a file: --matrices SEG=FILE";
            dialog.listChosen(first.id, int(row));
            return {};
        }
        return cformat("%s takes %s, not \"%s\"", setting.name, setting.values, value.c_str());
    case ControlKind::Edit:
        // The window reads the text as the edit loses focus, with its own messages.
        dialog.editCommitted(first.id, value);
        return {};
    default:
        return setting.name + std::string(" cannot be set");
    }
}

std::string actOnWindow(SettingsDialogBase &dialog, const Operation &op)
{
    switch (op.kind) {
    case Kind::Setting:
        return setControl(dialog, *findSetting(op.name), op.value);
    case Kind::Preset: {
        const int id = C::PresetNoneRadio + presetRow(op.name);
        const ControlTable table = dialog.controls();
        if (!table.find(id))
            return "the " + dialog.caption() + " window has no presets";
        if (!dialog.isUsable(id))
            return "the presets are disabled in the " + dialog.caption() + " window";
        dialog.radioClicked(id);
        return {};
    }
    case Kind::Matrices: {
        auto *cce = dynamic_cast<CceSettingsDialogBase *>(&dialog);
        if (!cce)
            return "the " + dialog.caption() + " window has no matrices list";
        if (!dialog.isUsable(C::MatricesList))
            return "the matrices list is disabled in the " + dialog.caption() + " window";
        if (cce->matricesChosen(C::customMatricesRow) != MatricesLoad::Loaded)
            return "the matrices file was refused: " + op.value;
        return {};
    }
    default:
        return "not a settings operation";
    }
}

// Opens the settings window on the selected segment, acts, and presses OK.
std::string runOnSelected(MainWindow &window, const Operation &op)
{
    Project &project = window.project();
    const std::string segmentText =
        cformat("#%d (%s): ", window.currentSegment(), labels::segmentRow(project, window.currentSegment()).c_str());
    if (!window.isEnabled(MainWindow::SettingsButton))
        return segmentText + cformat("the settings button is disabled (encoder mode %d)", project.encoderMode);
    ChosenFileDesktop desktop(window.desktop(), op.value);
    const std::unique_ptr<SettingsDialogBase> dialog =
        openSettingsDialog(project, *window.selectedSegment(), op.kind == Kind::Matrices ? desktop : window.desktop());
    if (!dialog)
        return segmentText + cformat("no settings window for CCE type %d", project.cceType);
    std::string reason = actOnWindow(*dialog, op);
    if (reason.empty() && !dialog->okClicked())
        reason = "the " + dialog->caption() + " window refused OK (see the message above)";
    if (!reason.empty()) {
        dialog->cancelClicked();
        return segmentText + reason;
    }
    window.afterEncoderSettings();
    return {};
}

} // namespace

bool parseSettingsOperation(Operation &op, const std::string &value, std::string &problem)
{
    const std::size_t equals = value.find('=');
    std::string target = value.substr(0, equals);
    const std::string right = equals == std::string::npos ? std::string() : value.substr(equals + 1);
    if (op.kind == Kind::Setting) {
        const std::size_t slash = target.find('/');
        op.name = slash == std::string::npos ? std::string() : target.substr(slash + 1);
        target = target.substr(0, slash);
    } else if (op.kind == Kind::Preset) {
        op.name = right;
    }
    op.value = right;
    op.segments.assign(1, SegmentName());
    SegmentName &segment = op.segments[0];
    bool segmentOk = true;
    if (target == "all") {
        segment.text = target;
        segment.all = true;
    } else {
        segmentOk = parseSegment(target, segment);
    }
    const char *form = op.kind == Kind::Setting ? "SEG/NAME=VALUE" : op.kind == Kind::Preset ? "SEG=NAME" : "SEG=FILE";
    if (equals == std::string::npos || !segmentOk) {
        problem = op.text + ": expected " + form + " with SEG as V:O, #N or all";
        return false;
    }
    if (op.kind == Kind::Setting && !findSetting(op.name)) {
        problem = op.text + ": no setting named \"" + op.name + "\" (tavro-cli --help lists them)";
        return false;
    }
    if (op.kind == Kind::Preset && presetRow(op.name) < 0) {
        problem = op.text + ": the preset is none, natural, cg or animation";
        return false;
    }
    if (op.kind == Kind::Matrices && op.value.empty()) {
        problem = op.text + ": no matrices file given";
        return false;
    }
    return true;
}

std::string runSettingsOperation(MainWindow &window, const Operation &op, const SelectSegment &select)
{
    const SegmentName &name = op.segments.at(0);
    if (!name.all) {
        if (std::string reason = select(name); !reason.empty())
            return reason;
        return runOnSelected(window, op);
    }
    // One window after the other, as a user would open each listed segment's.
    const int rows = int(window.rowMap().size());
    for (int row = 0; row < rows; ++row) {
        window.rowSelected(row);
        if (std::string reason = runOnSelected(window, op); !reason.empty())
            return reason;
    }
    return {};
}

std::string settingsHelpText()
{
    std::string text = "\nNAME and VALUE of --setting (the control as the window shows it; the field it stores):\n";
    for (const SettingName &setting : settingNames())
        text += cformat("  %-22s %s\n  %-22s   -> %s\n", setting.name, setting.values, "", setting.field);
    text += "A setting the segment's window lacks or has disabled is refused, as is a slider value outside\n"
            "the slider's range. The window's OK follows each operation; CCE windows mark the segment replanned.\n";
    return text;
}
