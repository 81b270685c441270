#include "CliPrediction.h"

#include "EncoderProcess.h"

#include "app/MainWindow.h"
#include "common/TextFile.h"
#include "platform/TypedFields.h"
#include "prediction/PredictionDialog.h"
#include "settings/AppSettings.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

OptionMatch parsePredictionOption(const std::vector<std::string> &args, std::size_t &i, PredictionArguments &out,
                                  std::string &problem)
{
    const std::string &arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--predict") {
        out.predict = true;
        return OptionMatch::Taken;
    }
    if (arg == "--double-pass") {
        out.doublePass = true;
        if (hasValue && (args[i + 1] == "on" || args[i + 1] == "off"))
            out.doublePass = args[++i] == "on";
        return OptionMatch::Taken;
    }
    std::optional<std::string> *target = arg == "--cce"               ? &out.ccePath
                                          : arg == "--sample-size"    ? &out.sampleSize
                                          : arg == "--safety-margin"  ? &out.safetyMargin
                                          : arg == "--gops-per-range" ? &out.gopsPerRange
                                          : arg == "--parallel"       ? &out.parallel
                                                                      : nullptr;
    if (!target)
        return OptionMatch::NotMine;
    if (!hasValue) {
        problem = arg + " needs a value";
        return OptionMatch::Bad;
    }
    *target = args[++i];
    return OptionMatch::Taken;
}

bool checkPredictionArguments(const PredictionArguments &prediction, bool save, bool keepQ, std::string &problem)
{
    const bool options = prediction.ccePath || prediction.sampleSize || prediction.safetyMargin
                         || prediction.gopsPerRange || prediction.doublePass || prediction.parallel;
    if (options && !prediction.predict)
        problem = "--cce, --sample-size, --safety-margin, --gops-per-range, --double-pass and --parallel go with "
                  "--predict";
    else if (prediction.predict && !save)
        problem = "--predict goes with --save";
    else if (prediction.predict && keepQ)
        problem = "--predict and --keep-q exclude each other";
    return problem.empty();
}

bool checkPredictionValues(const PredictionArguments &arguments, Desktop &desktop)
{
    using Dialog = PredictionDialog;
    std::string refused;
    if (arguments.gopsPerRange
        && !readIntegerBetween(desktop, *arguments.gopsPerRange, Dialog::minGopsPerRange, Dialog::maxGopsPerRange))
        refused = "--gops-per-range " + *arguments.gopsPerRange;
    else if (arguments.safetyMargin
             && !readNumberBetween(desktop, *arguments.safetyMargin, Dialog::minSafetyMargin, Dialog::maxSafetyMargin))
        refused = "--safety-margin " + *arguments.safetyMargin;
    else if (arguments.sampleSize
             && !readNumberBetween(desktop, *arguments.sampleSize, Dialog::minSampleSize, Dialog::maxSampleSize))
        refused = "--sample-size " + *arguments.sampleSize;
    else if (arguments.parallel
             && !readIntegerBetween(desktop, *arguments.parallel, Dialog::minParallelEncoders,
                                    Dialog::maxParallelEncoders))
        refused = "--parallel " + *arguments.parallel;
    if (!refused.empty())
        std::fprintf(stderr, "tavro-cli: refused %s\n", refused.c_str());
    return refused.empty();
}

std::string cliSettingsFolder()
{
#ifdef _WIN32
    // Beside the executable, as for the desktop program.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return fromFsPath(std::filesystem::path(path).parent_path());
#else
    // The desktop program's per-user configuration folder (organisation and program "Tavro").
    const char *config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config && config[0] == '/') {
        base = config;
    } else {
        const char *home = std::getenv("HOME");
        base = std::string(home ? home : "") + "/.config";
    }
    return base + "/Tavro/Tavro";
#endif
}

namespace {

// The settings file's key of the field a refused PREDICT points at: the command line's own
// values were checked before.
const char *refusedKey(int control)
{
    switch (control) {
    case PredictionDialog::GopsPerRangeEdit: return "opv_gops_per_range";
    case PredictionDialog::SafetyMarginEdit: return "opv_safety_margin";
    case PredictionDialog::SampleSizeEdit: return "opv_sample_size";
    case PredictionDialog::ParallelEncodersEdit: return "opv_parallel_encoders";
    default: return "an option";
    }
}

} // namespace

bool predictForSave(MainWindow &window, Desktop &desktop, const PredictionArguments &arguments,
                    PredictionOutcome &outcome)
{
    const std::string folder = cliSettingsFolder();
    AppSettings settings;
    loadSettings(settings, folder);
    if (arguments.ccePath) {
        // The encoder runs in the prediction folder, so a relative path is taken from here.
        std::error_code error;
        const std::filesystem::path given = toFsPath(*arguments.ccePath);
        const bool named = given.has_parent_path();
        const std::filesystem::path absolute = named ? std::filesystem::absolute(given, error) : given;
        settings.ccePath = fromFsPath(error ? given : absolute);
    }
    if (settings.ccePath.empty()) {
        std::fprintf(stderr, "tavro-cli: not saved: no encoder to predict with (give --cce PATH)\n");
        return false;
    }

    PredictionDialog dialog(window.project(), settings, folder, desktop);
    dialog.storesOptions = false;
    if (arguments.gopsPerRange)
        dialog.gopsPerRangeTyped(*arguments.gopsPerRange);
    if (arguments.safetyMargin)
        dialog.safetyMarginTyped(*arguments.safetyMargin);
    if (arguments.sampleSize)
        dialog.sampleSizeTyped(*arguments.sampleSize);
    if (arguments.doublePass)
        dialog.doublePassClicked(*arguments.doublePass);
    if (arguments.parallel)
        dialog.parallelEncodersTyped(*arguments.parallel);
    if (!dialog.predictClicked()) {
        std::fprintf(stderr, "tavro-cli: not saved: refused %s= in %s\n", refusedKey(dialog.focusControl()),
                     settingsFilePath(folder).c_str());
        return false;
    }

    outcome.ran = true;
    EncoderProcesses encoders;
    for (bool running = true; running;) {
        const PredictionStep step = dialog.nextStep();
        switch (step.kind) {
        case PredictionStep::Kind::Log: std::fprintf(stderr, "%s\n", step.line.c_str()); break;
        case PredictionStep::Kind::RunEncoder:
            // Started, and the next step taken: another lane may have a trial to start too.
            if (!encoders.start(step.lane, step.encoder))
                dialog.encoderFinished(step.lane, Desktop::EncoderResult::CouldNotStart);
            break;
        case PredictionStep::Kind::None: {
            if (encoders.empty()) {
                running = false;
                break;
            }
            const EncoderProcesses::Ended ended = encoders.waitAny();
            // Its exit status is not what decides (the output is), but a failing encoder says why.
            if (ended.result == Desktop::EncoderResult::Finished && ended.output.exitStatus != 0)
                std::fprintf(stderr, "tavro-cli: the encoder ended with status %d\n%s", ended.output.exitStatus,
                             ended.output.text.c_str());
            dialog.encoderFinished(ended.lane, ended.result);
            break;
        }
        case PredictionStep::Kind::Finished: running = false; break;
        }
    }
    outcome.segments = dialog.results();
    outcome.succeeded = dialog.state() == PredictionDialog::State::Succeeded;
    if (!outcome.succeeded) {
        std::fprintf(stderr, "tavro-cli: not saved: the prediction did not finish\n");
        return false;
    }
    dialog.saveClicked();
    return dialog.result() == PredictionDialog::Result::Save;
}
