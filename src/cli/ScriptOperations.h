#pragma once

// tavro-cli's script operations, run through the script editor's own commands so that the
// command line and the editor cannot disagree about an edit:
//   --avs-insert SEG@LINE=TEXT   ("Add Line" at list number LINE, then OK)
//   --avs-remove SEG@LINE        ("Remove Line" at list number LINE, then OK)
//   --avs-restore SEG            ("Restore Original Scripts", without the question)
// The editor's test step needs a person at a media player; the command line skips it.

#include "Arguments.h"

#include <functional>
#include <string>
#include <vector>

class MainWindow;

// The value of one script operation, checked for form.
bool parseScriptOperation(Operation &op, const std::string &value, std::string &problem);

// A changed script makes an OPV segment's Q factor stale, and the mark that says so lives only
// in memory: such a change needs a run that also saves, keeping the Q factors (tavro-cli does
// not predict). Checked for every script operation before any runs, so a refused run writes no
// script. Empty when the run may go on, else the reason to refuse it.
std::string scriptOperationsRefusal(const MainWindow &window, const std::vector<Operation> &operations,
                                    bool savesQFactors, const std::function<int(const SegmentName &)> &findSegment);

// Runs one script operation on the given segment indices (every listed segment for `all`).
// Empty when it went through, else why not.
std::string runScriptOperation(MainWindow &window, const Operation &op, const std::vector<int> &segments,
                               bool savesQFactors);
