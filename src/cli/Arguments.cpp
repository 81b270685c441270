#include "Arguments.h"
#include "ScriptOperations.h"
#include "SettingsOperations.h"

#include <charconv>
#include <cmath>
#include <limits>

const char *const usageText =
    "usage: tavro-cli show <path to Rebuilder.INF> [--json]\n"
    "       tavro-cli plan <path to Rebuilder.INF> [OPERATION ...] [--hide on|off] [--json]\n"
    "                      [--save [--keep-q | --predict [PREDICTION OPTION ...]]]\n"
    "       tavro-cli restore <path to Rebuilder.INF>\n"
    "       tavro-cli --version\n"
    "\n"
    "SEG is V:O (title set V, first Vob-ID O) or #N (segment index N, from 0); CELL is a cell index\n"
    "inside the segment, from 0. Operations run left to right, as the main window's commands do:\n"
    "  --bitrate SEG=KBPS       untick Autosized and type the average bitrate\n"
    "  --reduction SEG=PCT      untick Autosized and move the reduction slider to PCT\n"
    "  --autosized SEG          tick Autosized\n"
    "  --opv SEG, --vbr SEG     the OPV / VBR buttons\n"
    "  --tweak SEG/CELL=KBPS    Tweak Cells: give one cell its own bitrate\n"
    "  --link SEG,SEG[,...]     Link Vob-IDs: link the selected segments\n"
    "  --link-all SEG           Link Vob-IDs: link all in SEG's title set\n"
    "  --output-percent P       Global Options: output size P % (1 to 200)\n"
    "  --set-q SEG=calculated   Set Custom Q: the Q factor is predicted at the next save\n"
    "  --set-q SEG=Q            Set Custom Q: the Q factor is set to Q (1 to 128)\n"
    "  --reset                  Reset Bitrates\n"
    "  --setting SEG/NAME=VALUE the settings window: set one control (NAME and VALUE below)\n"
    "  --preset SEG=NAME        the settings window: a filter preset, none|natural|cg|animation\n"
    "  --matrices SEG=FILE      the settings window: \"Custom\" matrices read from FILE\n"
    "                           (SEG may also be \"all\" for these three: every listed segment)\n"
    "  --avs-insert SEG@LINE=TEXT  script editor: insert TEXT before list number LINE (from 1; the\n"
    "                           last number, or end, appends) in every cell's script of SEG; SEG\n"
    "                           may be all (every listed segment; LINE then 1 or end)\n"
    "  --avs-remove SEG@LINE    script editor: remove list number LINE from every cell's script\n"
    "  --avs-restore SEG        script editor: Restore Original Scripts (from the .bak copies)\n"
    "                           (scripts of OPV segments change only in a run with --save --keep-q)\n"
    "  --hide on|off            hide Vob-IDs of insignificant size (default on)\n"
    "  --json                   print the project as JSON\n"
    "  --save                   save the project; --keep-q keeps the Q factors of replanned OPV segments\n"
    "  --predict                with --save: predict the Q factors of replanned OPV segments by\n"
    "                           encoding samples with CCE, as the desktop program's save does\n"
    "    --cce PATH             the encoder (default: cce_path in Tavro.ini)\n"
    "    --sample-size PCT      percent of each segment sampled, 0.1 to 100\n"
    "    --safety-margin PCT    percent of the planned size kept in reserve, 0 to 50\n"
    "    --gops-per-range N     GOPs in one sampled run, 1 to 9999\n"
    "    --double-pass [on|off] verify each segment with a second pass\n"
    "    --parallel N           segments predicted at once, each with its own encoder, 1 to 16\n"
    "                           (defaults: the prediction options in Tavro.ini, which is not written)\n"
    "\n"
    "restore puts back what DVD-Rebuilder wrote, as Global Options' Restore Original does: Rebuilder.INF\n"
    "and Rebuilder.ECL from their .original copies, then every cell script from its .bak copy.\n"
    "\n"
    "Exit status: 0 done, 1 not loaded, not saved or refused (the reason on standard error), 2 bad usage.\n";

namespace {

template <typename Number>
bool parseInteger(const std::string &text, Number &value)
{
    if (text.empty())
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool parseReal(const std::string &text, double &value)
{
    if (text.empty())
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

} // namespace

bool parseSegment(const std::string &text, SegmentName &name)
{
    name = SegmentName();
    name.text = text;
    if (!text.empty() && text[0] == '#') {
        name.byIndex = true;
        return parseInteger(text.substr(1), name.index) && name.index >= 0;
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos)
        return false;
    return parseInteger(text.substr(0, colon), name.vts) && parseInteger(text.substr(colon + 1), name.vobId);
}

namespace {

// "LEFT=RIGHT", split at the last "=".
bool splitAssignment(const std::string &text, std::string &left, std::string &right)
{
    const std::size_t equals = text.rfind('=');
    if (equals == std::string::npos)
        return false;
    left = text.substr(0, equals);
    right = text.substr(equals + 1);
    return true;
}

bool parseOperationValue(Operation &op, const std::string &value, std::string &problem)
{
    using Kind = Operation::Kind;
    std::string left;
    std::string right;
    op.segments.resize(1);
    switch (op.kind) {
    case Kind::Bitrate:
        if (!splitAssignment(value, left, right) || !parseSegment(left, op.segments[0])
            || !parseInteger(right, op.bitrate)) {
            problem = op.text + ": expected SEG=KBPS with a positive integer";
            return false;
        }
        return true;
    case Kind::Reduction:
        if (!splitAssignment(value, left, right) || !parseSegment(left, op.segments[0])
            || !parseReal(right, op.percent)) {
            problem = op.text + ": expected SEG=PCT with a number";
            return false;
        }
        return true;
    case Kind::Autosized:
    case Kind::Opv:
    case Kind::Vbr:
    case Kind::LinkAll:
        if (!parseSegment(value, op.segments[0])) {
            problem = op.text + ": expected SEG (V:O or #N)";
            return false;
        }
        return true;
    case Kind::Tweak: {
        const std::size_t slash = value.find('/');
        std::string cell;
        if (slash == std::string::npos || !splitAssignment(value.substr(slash + 1), cell, right)
            || !parseSegment(value.substr(0, slash), op.segments[0]) || !parseInteger(cell, op.cell) || op.cell < 0
            || !parseInteger(right, op.cellBitrate)) {
            problem = op.text + ": expected SEG/CELL=KBPS with an integer";
            return false;
        }
        return true;
    }
    case Kind::Link: {
        op.segments.clear();
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = value.find(',', start);
            SegmentName name;
            if (!parseSegment(value.substr(start, comma == std::string::npos ? std::string::npos : comma - start),
                              name)) {
                problem = op.text + ": expected SEG,SEG[,...]";
                return false;
            }
            op.segments.push_back(name);
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        if (op.segments.size() < 2) {
            problem = op.text + ": name at least two segments";
            return false;
        }
        return true;
    }
    case Kind::OutputPercent:
        op.segments.clear();
        if (!parseReal(value, op.percent) || op.percent < 1.0 || op.percent > 200.0) {
            problem = op.text + ": expected a number from 1 to 200";
            return false;
        }
        return true;
    case Kind::Setting:
    case Kind::Preset:
    case Kind::Matrices:
        return parseSettingsOperation(op, value, problem);
    case Kind::SetQ:
        if (splitAssignment(value, left, right) && parseSegment(left, op.segments[0])) {
            // Any integer: the window itself says when it is not a Q factor.
            op.qCalculated = right == "calculated";
            if (op.qCalculated || parseInteger(right, op.qFactor))
                return true;
        }
        problem = op.text + ": expected SEG=calculated or SEG=Q with an integer";
        return false;
    case Kind::AvsInsert:
    case Kind::AvsRemove:
    case Kind::AvsRestore:
        return parseScriptOperation(op, value, problem);
    case Kind::Reset:
        break;
    }
    return true;
}

} // namespace

std::optional<Arguments> parseArguments(const std::vector<std::string> &args, std::string &problem)
{
    using Kind = Operation::Kind;
    Arguments result;
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        result.help = true;
        return result;
    }
    if (args.size() == 1 && args[0] == "--version") {
        result.version = true;
        return result;
    }
    if (args.size() < 2) {
        problem = args.empty() ? "no command given" : "no path to Rebuilder.INF given";
        return std::nullopt;
    }
    if (args[0] == "show") {
        result.command = Arguments::Command::Show;
    } else if (args[0] == "plan") {
        result.command = Arguments::Command::Plan;
    } else if (args[0] == "restore") {
        result.command = Arguments::Command::Restore;
    } else {
        problem = "unknown command " + args[0];
        return std::nullopt;
    }
    result.infPath = args[1];
    if (!result.infPath.empty() && result.infPath[0] == '-') {
        problem = "no path to Rebuilder.INF given";
        return std::nullopt;
    }
    const bool plan = result.command == Arguments::Command::Plan;
    if (result.command == Arguments::Command::Restore && args.size() > 2) {
        problem = "restore takes no options, not " + args[2];
        return std::nullopt;
    }

    static const std::vector<std::pair<std::string, Kind>> withValue = {
        {"--bitrate", Kind::Bitrate}, {"--reduction", Kind::Reduction}, {"--autosized", Kind::Autosized},
        {"--opv", Kind::Opv},         {"--vbr", Kind::Vbr},             {"--tweak", Kind::Tweak},
        {"--link", Kind::Link},       {"--link-all", Kind::LinkAll},    {"--output-percent", Kind::OutputPercent},
        {"--setting", Kind::Setting}, {"--preset", Kind::Preset},       {"--matrices", Kind::Matrices},
        {"--set-q", Kind::SetQ},
        {"--avs-insert", Kind::AvsInsert}, {"--avs-remove", Kind::AvsRemove}, {"--avs-restore", Kind::AvsRestore},
    };

    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--json") {
            result.json = true;
            continue;
        }
        if (!plan) {
            problem = "show takes only --json, not " + arg;
            return std::nullopt;
        }
        if (arg == "--save") {
            result.save = true;
        } else if (arg == "--keep-q") {
            result.keepQ = true;
        } else if (const OptionMatch match = parsePredictionOption(args, i, result.prediction, problem);
                   match != OptionMatch::NotMine) {
            if (match == OptionMatch::Bad)
                return std::nullopt;
        } else if (arg == "--hide") {
            if (!hasValue || (args[i + 1] != "on" && args[i + 1] != "off")) {
                problem = "--hide takes on or off";
                return std::nullopt;
            }
            result.hideInsignificant = args[++i] == "on";
        } else if (arg == "--reset") {
            Operation op;
            op.kind = Kind::Reset;
            op.text = arg;
            result.operations.push_back(op);
        } else {
            bool known = false;
            for (const auto &[name, kind] : withValue) {
                if (arg != name)
                    continue;
                known = true;
                if (!hasValue) {
                    problem = arg + " needs a value";
                    return std::nullopt;
                }
                Operation op;
                op.kind = kind;
                op.text = arg + " " + args[i + 1];
                if (!parseOperationValue(op, args[++i], problem))
                    return std::nullopt;
                result.operations.push_back(op);
                break;
            }
            if (!known) {
                problem = "unknown option " + arg;
                return std::nullopt;
            }
        }
    }
    if (result.keepQ && !result.save) {
        problem = "--keep-q goes with --save";
        return std::nullopt;
    }
    if (!checkPredictionArguments(result.prediction, result.save, result.keepQ, problem))
        return std::nullopt;
    return result;
}
