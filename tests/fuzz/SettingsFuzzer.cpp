// Tavro.ini as anyone may have edited it: loadSettings reads whatever is there, and what
// saveSettings writes from it reads back as the same values.

#include "FuzzSupport.h"

#include "settings/AppSettings.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

bool sameReal(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

void requireSame(const AppSettings &saved, const AppSettings &read)
{
    fuzz::require(read.mediaPlayerPath == saved.mediaPlayerPath, "media player path changed: \"" +
                                                                     saved.mediaPlayerPath + "\" read back as \"" +
                                                                     read.mediaPlayerPath + "\"");
    fuzz::require(read.ccePath == saved.ccePath,
                  "CCE path changed: \"" + saved.ccePath + "\" read back as \"" + read.ccePath + "\"");
    fuzz::require(read.gopsPerRange == saved.gopsPerRange, "GOPs per range changed");
    fuzz::require(sameReal(read.safetyMargin, saved.safetyMargin), "safety margin changed");
    fuzz::require(sameReal(read.sampleSize, saved.sampleSize), "sample size changed");
    fuzz::require(read.encodeMinimized == saved.encodeMinimized, "encode minimized changed");
    fuzz::require(read.doublePass == saved.doublePass, "double pass changed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string &folder = fuzz::scratchFolder();
    const std::string file = settingsFilePath(folder);
    fuzz::writeFile(file, std::string_view(reinterpret_cast<const char *>(data), size));

    AppSettings loaded;
    loadSettings(loaded, folder);
    fuzz::require(loaded.testScriptPath == testScriptPathIn(folder), "the test script is not beside Tavro.ini");
    // A saved value that cannot be written as it is read would change at every start.
    fuzz::require(std::isfinite(loaded.safetyMargin) && std::isfinite(loaded.sampleSize),
                  "a percentage read as infinite or NaN");

    fuzz::QuietDesktop desktop;
    fuzz::require(saveSettings(loaded, folder, desktop), "saving the settings failed: " + desktop.lastMessage());
    AppSettings reread;
    loadSettings(reread, folder);
    requireSame(loaded, reread);
    return 0;
}
