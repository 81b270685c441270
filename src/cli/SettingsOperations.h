#pragma once

// tavro-cli's encoder settings operations: --setting SEG/NAME=VALUE, --preset SEG=NAME and
// --matrices SEG=FILE. Each opens, for the segment, the settings window the main window's
// settings button opens, acts on it as a click or a typed value would (refused where the
// window would not let the user), then presses OK.

#include "Arguments.h"

#include <functional>
#include <string>

class MainWindow;

// Fills `op` from the text after the option; false with `problem` set when it is malformed
// or names no known setting or preset.
bool parseSettingsOperation(Operation &op, const std::string &value, std::string &problem);

// Selects a named segment in the main window; empty when done, else why not.
using SelectSegment = std::function<std::string(const SegmentName &)>;

// Runs the operation on the named segment, or on every listed segment for "all". Empty when
// done, else why it was refused (the window's own message has gone to the desktop first).
std::string runSettingsOperation(MainWindow &window, const Operation &op, const SelectSegment &select);

// The names --setting takes, with their values and the field each stores, for --help.
std::string settingsHelpText();
