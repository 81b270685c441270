#include "settings/AppSettings.h"

#include "common/Convert.h"
#include "common/Format.h"
#include "common/TextFile.h"
#include "platform/Desktop.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace {

std::string inFolder(const std::string &folder, const char *name)
{
    if (folder.empty())
        return name;
    const char last = folder.back();
#ifdef _WIN32
    const bool hasSeparator = last == '\\' || last == '/';
    const char separator = '\\';
#else
    const bool hasSeparator = last == '/';
    const char separator = '/';
#endif
    return hasSeparator ? folder + name : folder + separator + name;
}

// The shortest text that reads back as the same double, always with ".", whatever the locale:
// a margin of 12.5 % must come back as 12.5.
std::string realText(double value)
{
    if (!std::isfinite(value))
        return "0";
    std::array<char, 64> buffer;
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return error == std::errc() ? std::string(buffer.data(), end) : std::string("0");
}

// Program choosers: elsewhere than on Windows programs carry no extension, so a filter that
// asks for *.exe alone would hide every one of them.
std::vector<Desktop::FileFilter> programFilters(const std::string &filter)
{
    std::vector<Desktop::FileFilter> filters = parseFilterString(filter);
#ifndef _WIN32
    bool namesExe = false;
    for (const Desktop::FileFilter &f : filters)
        namesExe = namesExe || f.pattern.find("*.exe") != std::string::npos;
    if (namesExe)
        filters.push_back({"All files", "*"});
#endif
    return filters;
}

} // namespace

std::string settingsFilePath(const std::string &settingsFolder)
{
    return inFolder(settingsFolder, "Tavro.ini");
}

std::string testScriptPathIn(const std::string &settingsFolder)
{
    return inFolder(settingsFolder, "test.avs");
}

std::string favouritesFilePathIn(const std::string &settingsFolder)
{
    return inFolder(settingsFolder, "Filters.txt");
}

void loadSettings(AppSettings &settings, const std::string &settingsFolder)
{
    LineReader reader;
    if (!reader.open(settingsFilePath(settingsFolder))) {
        settings.mediaPlayerPath.clear();
    } else {
        settings.parallelEncoders = 1;
        std::string line;
        // An empty line ends the settings; whatever follows it is not ours.
        while (reader.next(line) && !line.empty()) {
            const std::size_t equals = line.find('=');
            if (equals == std::string::npos) {
                // Older files held nothing but the player's path.
                settings.mediaPlayerPath = line;
                continue;
            }
            const std::string_view key = std::string_view(line).substr(0, equals);
            const std::string value = line.substr(equals + 1);
            if (key == "cce_path")
                settings.ccePath = value;
            else if (key == "opv_gops_per_range")
                settings.gopsPerRange = leadingInt(value);
            else if (key == "opv_safety_margin")
                settings.safetyMargin = leadingReal(value);
            else if (key == "opv_sample_size")
                settings.sampleSize = leadingReal(value);
            else if (key == "opv_encode_minimized")
                settings.encodeMinimized = leadingInt(value) != 0;
            else if (key == "opv_double_pass")
                settings.doublePass = leadingInt(value) != 0;
            else if (key == "mediaplayer")
                settings.mediaPlayerPath = value;
            else if (key == "opv_parallel_encoders")
                settings.parallelEncoders = std::max(leadingInt(value), 1);
        }
        if (reader.failed())
            settings.mediaPlayerPath.clear();
    }
    settings.testScriptPath = testScriptPathIn(settingsFolder);
}

bool saveSettings(const AppSettings &settings, const std::string &settingsFolder, Desktop &desktop)
{
    const std::string path = settingsFilePath(settingsFolder);
    LineWriter writer;
    if (writer.open(path)) {
        writer.writeLine("mediaplayer=" + settings.mediaPlayerPath);
        writer.writeLine("cce_path=" + settings.ccePath);
        writer.writeLine(cformat("opv_gops_per_range=%d", settings.gopsPerRange));
        writer.writeLine("opv_safety_margin=" + realText(settings.safetyMargin));
        writer.writeLine("opv_sample_size=" + realText(settings.sampleSize));
        writer.writeLine(settings.encodeMinimized ? "opv_encode_minimized=1" : "opv_encode_minimized=0");
        writer.writeLine(settings.doublePass ? "opv_double_pass=1" : "opv_double_pass=0");
        if (settings.parallelEncoders > 1)
            writer.writeLine(cformat("opv_parallel_encoders=%d", settings.parallelEncoders));
        if (writer.commit())
            return true;
    }
    // Opening and writing fail alike for the user: the old file is still there, untouched.
    desktop.showMessage(cformat("Could not open '%s' for writing", path.c_str()), Desktop::Icon::Error);
    return false;
}

bool chooseCce(AppSettings &settings, const std::string &settingsFolder, Desktop &desktop)
{
    loadSettings(settings, settingsFolder);
    const auto chosen = desktop.chooseOpenFile("Select CCE executable",
                                               programFilters("CCE executable (*.exe)|*.exe||"), std::string());
    if (chosen)
        settings.ccePath = *chosen;
    saveSettings(settings, settingsFolder, desktop);
    return chosen.has_value();
}

bool chooseMediaPlayer(AppSettings &settings, const std::string &settingsFolder, Desktop &desktop)
{
    loadSettings(settings, settingsFolder);
    const auto chosen = desktop.chooseOpenFile("Select your mediaplayer ...",
                                               programFilters("MediaPlayer Program (*.exe)|*.exe||"), std::string());
    if (!chosen)
        return false;
    settings.mediaPlayerPath = *chosen;
    saveSettings(settings, settingsFolder, desktop);
    return true;
}
