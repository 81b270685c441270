#pragma once

#include <string>

class Desktop;

// The user's choices that outlive a run: where the media player and CCE are, and the options
// of OPV prediction. Kept in Tavro.ini in the settings folder.
struct AppSettings {
    std::string mediaPlayerPath;  // "mediaplayer"
    std::string ccePath;          // "cce_path"
    int gopsPerRange = 1;         // "opv_gops_per_range"
    double safetyMargin = 0.0;    // "opv_safety_margin", percent
    double sampleSize = 1.0;      // "opv_sample_size", percent
    bool encodeMinimized = false; // "opv_encode_minimized"
    bool doublePass = false;      // "opv_double_pass"
    std::string testScriptPath;   // not stored: the preview script beside the settings file
    // "opv_parallel_encoders": segments predicted at once, each with its own encoder. A file
    // without the key (or without a number of 1 or more there) means 1, and 1 is not written,
    // so the file of a user who never changed it stays as it was.
    int parallelEncoders = 1;
};

// `settingsFolder` is the folder that holds Tavro.ini, test.avs and Filters.txt; a missing
// trailing separator is added.
std::string settingsFilePath(const std::string &settingsFolder);
std::string testScriptPathIn(const std::string &settingsFolder);
// Filters.txt: the favourite lines of the script editor.
std::string favouritesFilePathIn(const std::string &settingsFolder);

// Fills `settings` from the file. Never fails: without a file the media player is cleared
// and every other value stays as it was.
void loadSettings(AppSettings &settings, const std::string &settingsFolder);

// Rewrites the file whole. On failure the user is told and the old file is left untouched.
bool saveSettings(const AppSettings &settings, const std::string &settingsFolder, Desktop &desktop);

// Re-read the file, let the user pick the program, save. True when a file was picked.
// chooseCce saves even when the user cancels; chooseMediaPlayer only when a file was picked.
bool chooseCce(AppSettings &settings, const std::string &settingsFolder, Desktop &desktop);
bool chooseMediaPlayer(AppSettings &settings, const std::string &settingsFolder, Desktop &desktop);
