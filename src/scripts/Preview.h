#pragma once

#include <cstdint>
#include <string>

class Desktop;
class Segment;
struct AppSettings;

// "Trim(first,last)" becomes "Trim(first,-frames)": a negative second argument is a frame
// count in AviSynth, so the clip runs the whole segment from the first cell's start.
// `line` must begin with "Trim(" in any letter case; a line without a comma is returned as is.
std::string rewriteTrimLine(const std::string &line, std::int64_t frames);
bool isTrimLine(const std::string &line);

// Opens a script in the user's media player without waiting for it. Offers the player chooser
// first when none is set; a cancelled chooser plays nothing.
void playScript(const std::string &scriptPath, AppSettings &settings, const std::string &settingsFolder,
                Desktop &desktop);

// Writes test.avs from the segment's first-cell script, stretched to the whole segment, and
// plays it. False when nothing was played.
bool writeTestScript(const Segment &segment, AppSettings &settings, const std::string &settingsFolder,
                     Desktop &desktop);
