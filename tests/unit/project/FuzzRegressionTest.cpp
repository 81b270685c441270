// Inputs the fuzz targets of tests/fuzz turned up, kept in tests/fuzz/regressions/project/ in the
// fuzzers' form: Rebuilder.INF, the line "=ECL=", Rebuilder.ECL. Each once crashed the reader or
// the writer (signed overflow) or lost a saved value on the way back in.

#include "common/TextFile.h"
#include "project/Project.h"
#include "support/FakeDesktop.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

namespace {

// Writes the two files of a fuzz input into the folder and returns the INF path.
std::string unpack(const std::string &name, const TempFolder &folder)
{
    const std::string bytes = readBytes(std::string(TAVRO_FUZZ_REGRESSIONS) + "/project/" + name);
    EXPECT_NE(bytes, "<missing>") << name;
    const std::string separator = "\n=ECL=\n";
    const std::size_t at = bytes.find(separator);
    const std::string inf = folder.write("Rebuilder.INF", bytes.substr(0, at));
    folder.write("Rebuilder.ECL", at == std::string::npos ? std::string() : bytes.substr(at + separator.size()));
    return inf;
}

std::string line(const std::string &text, const std::string &key)
{
    const std::size_t at = text.find("\n" + key);
    return at == std::string::npos ? std::string("<none>") : text.substr(at + 1, text.find('\r', at) - at - 1);
}

struct Case {
    const char *file;
    const char *loadError; // empty: the project loads
    std::function<void(const Project &)> loaded;
    std::function<void(const Project &, const std::string &ecl)> savedAndReloaded;
};

} // namespace

TEST(FuzzRegressions, DamagedFilesLoadWithDefinedValuesOrFailWithAMessage)
{
    const Case cases[] = {
        {"inf-title-set-sizes-overflow", "Error loading Rebuilder.INF\nLine 57: the size 9223372036854775807 is not possible.",
         nullptr, nullptr},
        {"inf-source-size-beyond-any-disc", "Error loading Rebuilder.INF\nLine 1: the size -9223372036854775807 is not possible.",
         nullptr, nullptr},
        // The first item's index is out of range; the segment's last item (2 x 4 + 2) decides.
        {"ecl-h-filter-index-overflow", "",
         [](const Project &p) { EXPECT_EQ(p.segment(0).settings.hFilterIndex, 10); },
         [](const Project &p, const std::string &) { EXPECT_EQ(p.segment(0).settings.hFilterIndex, 10); }},
        {"ecl-filter-on-lowest-int", "",
         [](const Project &p) { EXPECT_EQ(p.segment(0).settings.filterOff, INT_MAX); },
         [](const Project &p, const std::string &ecl) {
             EXPECT_EQ(line(ecl, "filter_on="), "filter_on=-2147483646");
             EXPECT_EQ(p.segment(0).settings.filterOff, INT_MAX);
         }},
        // The 10-bit line raises the precision by one step, to 10 bits at most.
        {"ecl-intra-dc-precision-highest-int", "",
         [](const Project &p) { EXPECT_EQ(p.segment(0).settings.intraDcPrecision, 2); }, nullptr},
        // "intra_dc_prec=7" beside a 10-bit line: once 7, then 2 for good (it climbed at every save).
        {"ecl-intra-dc-precision-climbs-at-every-save", "",
         [](const Project &p) { EXPECT_EQ(p.segment(0).settings.intraDcPrecision, 7); },
         [](const Project &p, const std::string &) { EXPECT_EQ(p.segment(0).settings.intraDcPrecision, 2); }},
        {"ecl-filter-off-lowest-int-saved", "",
         [](const Project &p) { EXPECT_EQ(p.segment(0).settings.filterOff, INT_MIN); },
         [](const Project &, const std::string &ecl) { EXPECT_EQ(line(ecl, "filter_on="), "filter_on=2147483647"); }},
        // A "Reduction=" line ahead of the frame rate: the save must rewrite the one the load reads.
        {"inf-reduction-before-frame-rate", "",
         [](const Project &p) { EXPECT_EQ(p.segment(0).cells[0].loadedReduction, 0.0f); },
         [](const Project &p, const std::string &) { EXPECT_EQ(p.segment(0).cells[0].loadedReduction, 1.0f); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        TempFolder folder;
        const std::string inf = unpack(c.file, folder);
        Project project;
        FakeDesktop desktop;
        const bool loaded = project.load(inf, desktop);
        if (*c.loadError) {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(desktop.lastMessage(), c.loadError);
            continue;
        }
        ASSERT_TRUE(loaded) << desktop.lastMessage();
        c.loaded(project);
        ASSERT_TRUE(project.save(desktop, [] { return true; })) << desktop.lastMessage();
        Project reloaded;
        ASSERT_TRUE(reloaded.load(inf, desktop)) << desktop.lastMessage();
        if (c.savedAndReloaded)
            c.savedAndReloaded(reloaded, readBytes(project.eclPath()));

        // From the first save on the files are the program's own: saving again changes nothing.
        ASSERT_TRUE(reloaded.save(desktop, [] { return true; })) << desktop.lastMessage();
        Project again;
        ASSERT_TRUE(again.load(inf, desktop)) << desktop.lastMessage();
        ASSERT_EQ(again.segments.size(), reloaded.segments.size());
        for (std::size_t s = 0; s < reloaded.segments.size(); ++s) {
            const Segment &before = reloaded.segments[s];
            const Segment &after = again.segments[s];
            EXPECT_EQ(after.settings, before.settings) << "segment " << s;
            for (std::size_t i = 0; i < before.cells.size(); ++i) {
                EXPECT_EQ(after.cells[i].loadedBitrate, before.cells[i].loadedBitrate) << "cell " << i;
                EXPECT_EQ(after.cells[i].loadedReduction, before.cells[i].loadedReduction) << "cell " << i;
            }
        }
    }
}
