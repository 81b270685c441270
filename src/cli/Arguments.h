#pragma once

#include "CliPrediction.h"

#include <optional>
#include <string>
#include <vector>

// The command line of tavro-cli, checked for form only: whether a segment or cell exists is
// decided when the operation runs on the loaded project.

// A segment as named on the command line: "V:O" (title set and first Vob-ID) or "#N".
struct SegmentName {
    std::string text;
    bool byIndex = false;
    bool all = false; // "all": every listed segment (--setting, --preset, --matrices, --avs-insert)
    int index = 0;   // #N
    int vts = 0;     // V:O
    int vobId = 0;
};

struct Operation {
    enum class Kind {
        Bitrate, Reduction, Autosized, Opv, Vbr, Tweak, Link, LinkAll, OutputPercent, Reset,
        Setting, Preset, Matrices, SetQ,
        AvsInsert, AvsRemove, AvsRestore,
    };
    Kind kind = Kind::Reset;
    std::string text;                  // as given, for messages: "--bitrate 1:2=4000"
    std::vector<SegmentName> segments; // one, or several for --link
    int cell = 0;                      // --tweak
    unsigned bitrate = 0;              // --bitrate, kbit/s as typed into the main window
    int cellBitrate = 0;               // --tweak, kbit/s as typed into Tweak Cells
    double percent = 0.0;              // --reduction, --output-percent
    std::string name;                  // --setting NAME, --preset NAME
    std::string value;                 // --setting VALUE, --matrices FILE
    bool qCalculated = false;          // --set-q SEG=calculated
    int qFactor = 0;                   // --set-q SEG=N, as typed into Set Q Factor
    int line = 0;                      // --avs-insert, --avs-remove: list number from 1; 0 = end
    std::string lineText;              // --avs-insert
};

struct Arguments {
    enum class Command { Show, Plan, Restore };
    Command command = Command::Show;
    std::string infPath;
    std::vector<Operation> operations;
    bool hideInsignificant = true;
    bool json = false;
    bool save = false;
    bool keepQ = false;
    PredictionArguments prediction; // --predict and its options
    bool help = false;
    bool version = false;
};

// "V:O" or "#N"; false for any other text.
bool parseSegment(const std::string &text, SegmentName &name);

// Nothing, with `problem` set, when the command line is not one tavro-cli takes.
std::optional<Arguments> parseArguments(const std::vector<std::string> &args, std::string &problem);

extern const char *const usageText;
