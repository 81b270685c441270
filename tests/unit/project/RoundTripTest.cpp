#include "ProjectGenerator.h"

#include "project/Project.h"
#include "support/FakeDesktop.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The first line where two texts part, for a readable failure instead of two whole files.
std::string firstDifference(const std::string &expected, const std::string &actual)
{
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    if (at == expected.size() && at == actual.size())
        return "none";
    const std::size_t lineStart = expected.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
    auto lineAt = [from](const std::string &text) {
        const std::size_t end = text.find('\n', from);
        return from >= text.size() ? std::string("<end of file>") : text.substr(from, end - from);
    };
    return "line " + std::to_string(std::count(expected.begin(), expected.begin() + long(from), '\n') + 1) +
           ": expected \"" + lineAt(expected) + "\", written \"" + lineAt(actual) + "\"";
}

struct Case {
    const char *name;
    GeneratorOptions options;
};


} // namespace

// Opening a project and saving it without a change must leave DVD-Rebuilder's files exactly as
// they were: any difference is a setting or a reduction the program would silently change.
TEST(ProjectRoundTrip, SavingAnUnchangedProjectRewritesTheSameBytes)
{
    GeneratorOptions underWine = demoOptions(7);
    underWine.windowsPaths = true; // the name= lines stay as DVD-Rebuilder wrote them
    const Case cases[] = {
        {"demo", demoOptions(1)},
        {"demo, another seed", demoOptions(2)},
        {"stress of 50 segments", stressOptions(4, 50, 6)},
        {"CCE SP", variantOptions(3, 0, true, false)},
        {"CCE SP 1 without q_char_f", variantOptions(3, 1, false, false)},
        {"CCE SP 1 with q_char_f", variantOptions(3, 1, true, false)},
        {"other encoder", variantOptions(3, 2, true, false)},
        {"CCE 2.70, decimal comma", variantOptions(3, 3, true, true)},
        {"CCE SP, decimal comma", variantOptions(5, 0, true, true)},
        {"PRO encoder mode", variantOptions(6, 3, true, false, 3)},
        {"Windows paths", underWine},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        std::string inf;
        std::string error;
        ASSERT_TRUE(generateProject(c.options, folder.file("project"), &inf, &error)) << error;
        const std::string ecl = inf.substr(0, inf.size() - 3) + "ECL";
        const std::string infBefore = readBytes(inf);
        const std::string eclBefore = readBytes(ecl);

        Project project;
        FakeDesktop desktop;
        ASSERT_TRUE(project.load(inf, desktop)) << desktop.lastMessage();
        EXPECT_TRUE(desktop.messages.empty()) << desktop.lastMessage();
        ASSERT_TRUE(project.save(desktop, [] { return true; })) << desktop.lastMessage();

        EXPECT_EQ(readBytes(inf + ".original"), infBefore);
        EXPECT_EQ(readBytes(ecl + ".original"), eclBefore);
        const std::string infAfter = readBytes(inf);
        const std::string eclAfter = readBytes(ecl);
        EXPECT_TRUE(infAfter == infBefore) << "INF " << firstDifference(infBefore, infAfter);
        EXPECT_TRUE(eclAfter == eclBefore) << "ECL " << firstDifference(eclBefore, eclAfter);
    }
}

// The generated project reads back as what it was made to be.
TEST(ProjectRoundTrip, GeneratedProjectLoadsWithTheAskedShape)
{
    TempFolder folder;
    std::string inf;
    ASSERT_TRUE(generateProject(stressOptions(8, 90, 4), folder.path(), &inf));
    Project project;
    FakeDesktop desktop;
    ASSERT_TRUE(project.load(inf, desktop)) << desktop.lastMessage();

    EXPECT_EQ(project.lastSegmentIndex(), 89);
    EXPECT_EQ(project.cceType, 3);
    EXPECT_EQ(project.encoderMode, 1);
    EXPECT_GT(project.overheadSize, 0);
    int opvSegments = 0;
    for (const Segment &segment : project.segments) {
        EXPECT_EQ(segment.cellCount(), 4);
        opvSegments += !segment.vbrMode;
        for (const Cell &cell : segment.cells) {
            EXPECT_GT(cell.loadedBitrate, 0);
            EXPECT_EQ(cell.bitrate, cell.loadedBitrate);
            EXPECT_GE(cell.loadedReduction, 1.0f);
            EXPECT_LE(cell.loadedReduction, 100.0f);
        }
    }
    EXPECT_GT(opvSegments, 0);
    EXPECT_LT(opvSegments, 90);
}
