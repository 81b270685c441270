#pragma once

#include "prediction/PredictionRun.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class Desktop;
class MainWindow;

// --predict and its options, as given (the texts are checked as the prediction window checks
// what is typed into it).
struct PredictionArguments {
    bool predict = false;
    std::optional<std::string> ccePath;      // --cce
    std::optional<std::string> sampleSize;   // --sample-size
    std::optional<std::string> safetyMargin; // --safety-margin
    std::optional<std::string> gopsPerRange; // --gops-per-range
    std::optional<bool> doublePass;          // --double-pass [on|off]
    std::optional<std::string> parallel;     // --parallel
};

enum class OptionMatch { NotMine, Taken, Bad };
// Takes args[i] (and its value) when it is a prediction option.
OptionMatch parsePredictionOption(const std::vector<std::string> &args, std::size_t &i, PredictionArguments &out,
                                  std::string &problem);
// The combinations the command line refuses; false with `problem` set.
bool checkPredictionArguments(const PredictionArguments &prediction, bool save, bool keepQ, std::string &problem);

// What the prediction did, for the report.
struct PredictionOutcome {
    bool ran = false;
    bool succeeded = false;
    std::vector<SegmentPrediction> segments;
};

// Checks the option values as the prediction window checks what is typed into it, with its
// messages. False after saying which was refused.
bool checkPredictionValues(const PredictionArguments &arguments, Desktop &desktop);

// The folder of Tavro.ini the desktop program uses.
std::string cliSettingsFolder();

// The prediction step of a save: the prediction window's run without a window, each encoder
// trial run to its end (with parallel encoders, as many at once as the run has lanes), the log
// on standard error. True when the save may go on.
bool predictForSave(MainWindow &window, Desktop &desktop, const PredictionArguments &arguments,
                    PredictionOutcome &outcome);
