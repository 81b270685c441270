#pragma once

// tavro-cli's operations that happen in a child window of the main window. Each opens the
// same core window class the desktop program draws, drives its commands as a user would
// (select, type, click, close) and then runs what the main window runs after it. Each returns
// an empty text when it went through, else why it was refused: the window's own message where
// the window shows one.

#include <optional>
#include <string>
#include <vector>

class MainWindow;
class Project;

// "#N (VTS .. - Vob-ID ..)", how tavro-cli names a segment in its messages.
std::string describeSegment(const Project &project, int index);

// Tweak Cells on the main window's selected segment: cell `cell` gets `bitrate` kbit/s.
std::string tweakCells(MainWindow &window, int cell, int bitrate);
// Link Vob-IDs opened on the main window's selected segment: "Link selected" with the rows of
// `segments` selected. `openedOn` names the selected segment in the refusal.
std::string linkSelected(MainWindow &window, const std::vector<int> &segments, const std::string &openedOn);
// Link Vob-IDs opened on `segment`: "Link all in this VTS".
std::string linkAll(MainWindow &window, int segment);
// Global Options: the output size in percent, then OK.
std::string setOutputPercent(MainWindow &window, double percent);
// Set Q Factor on the main window's selected segment: "Calculated" when `q` is empty, else
// "Set to" q; then OK.
std::string setQFactor(MainWindow &window, std::optional<int> q);

// `tavro-cli restore`: DVD-Rebuilder's files put back as "&Restore Original" does, the command
// line being the confirmation. The INF and ECL come first, so a project that no longer loads
// is loaded from them to find its scripts. Returns the exit status: 0, or 1 after the message.
int restoreOriginalFiles(const std::string &infPath);
