#include "scripts/Preview.h"
#include "scripts/ScriptEditorDialog.h"
#include "prediction/SampleScript.h"

#include "ProjectGenerator.h"
#include "common/Format.h"
#include "common/TextFile.h"
#include "platform/PathMapper.h"
#include "project/Project.h"
#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(RewriteTrimLine, StretchesTheClipToTheSegment)
{
    struct Case {
        const char *line;
        const char *rewritten;
    };
    const Case cases[] = {
        {"Trim(1200,2399)", "Trim(1200,-5000)"},
        {"trim(1200,2399)", "trim(1200,-5000)"},             // any letter case
        {"TRIM(0,99).Crop(0,0)", "TRIM(0,-5000)"},           // everything after the first comma goes
        {"Trim(1200)", "Trim(1200)"},                        // nothing to cut
    };
    for (const Case &c : cases) {
        EXPECT_TRUE(isTrimLine(c.line));
        EXPECT_EQ(rewriteTrimLine(c.line, 5000), c.rewritten);
    }
    EXPECT_FALSE(isTrimLine("Mpeg2Source(\"a.d2v\").Trim(1,2)"));
    EXPECT_FALSE(isTrimLine("Trim"));
}

namespace {

struct PreviewFixture {
    TempFolder project;
    TempFolder settingsFolder;
    FakeDesktop desktop;
    AppSettings settings;
    Segment segment;

    explicit PreviewFixture(const std::string &script)
    {
        const std::string path = project.write("V01 first cell.avs", script);
        segment.addCell(1, 1, 1, 1, 4000, 3000, 25.0).name = path;
        segment.addCell(1, 1, 1, 2, 4000, 2000, 25.0).name = project.file("V01_002.avs");
        settings.mediaPlayerPath = "/opt/my player/play";
    }
    std::string testScript() const { return testScriptPathIn(settingsFolder.path()); }
};

} // namespace

TEST(WriteTestScript, WritesTheStretchedScriptAndStartsThePlayer)
{
    PreviewFixture f("Mpeg2Source(\"D2V/VTS_01_1.d2v\")\nTrim(1200,2399)\nLanczosResize(720,480)\n");
    EXPECT_TRUE(writeTestScript(f.segment, f.settings, f.settingsFolder.path(), f.desktop));
    EXPECT_EQ(readBytes(f.testScript()),
              "Mpeg2Source(\"D2V/VTS_01_1.d2v\")\r\nTrim(1200,-5000)\r\nLanczosResize(720,480)\r\n");
    ASSERT_EQ(f.desktop.started.size(), 1u);
    EXPECT_EQ(f.desktop.started[0].program, "/opt/my player/play");
    EXPECT_EQ(f.desktop.started[0].arguments, std::vector<std::string>{f.testScript()});
    EXPECT_TRUE(f.desktop.messages.empty());
}

TEST(WriteTestScript, KeepsALastLineWithoutLineEnd)
{
    PreviewFixture f("Mpeg2Source(\"a.d2v\")\r\nTrim(0,99)");
    EXPECT_TRUE(writeTestScript(f.segment, f.settings, f.settingsFolder.path(), f.desktop));
    EXPECT_EQ(readBytes(f.testScript()), "Mpeg2Source(\"a.d2v\")\r\nTrim(0,-5000)\r\n");
}

TEST(WriteTestScript, FailuresPlayNothing)
{
    {
        SCOPED_TRACE("the first cell's script is missing: no message");
        PreviewFixture f("x");
        f.segment.cells[0].name = f.project.file("gone.avs");
        EXPECT_FALSE(writeTestScript(f.segment, f.settings, f.settingsFolder.path(), f.desktop));
        EXPECT_TRUE(f.desktop.started.empty());
        EXPECT_TRUE(f.desktop.messages.empty());
    }
    {
        SCOPED_TRACE("test.avs cannot be written");
        PreviewFixture f("x");
        EXPECT_FALSE(writeTestScript(f.segment, f.settings, f.settingsFolder.file("missing"), f.desktop));
        EXPECT_EQ(f.desktop.lastMessage(), "Cannot create test.avs. Close your mediaplayer if it's running");
        EXPECT_EQ(f.desktop.messages.back().icon, Desktop::Icon::Error);
        EXPECT_TRUE(f.desktop.started.empty());
    }
}

TEST(PlayScript, OffersTheChooserWhenNoPlayerIsSet)
{
    PreviewFixture f("x");
    f.settings.mediaPlayerPath.clear();
    playScript("/dvd/cell.avs", f.settings, f.settingsFolder.path(), f.desktop);
    ASSERT_EQ(f.desktop.choosers.size(), 1u);
    EXPECT_EQ(f.desktop.choosers[0].title, "Select your mediaplayer ...");
    EXPECT_TRUE(f.desktop.started.empty()); // cancelled: nothing played, nothing said
    EXPECT_TRUE(f.desktop.messages.empty());

    f.desktop.chosenFiles = {std::string("/usr/bin/mpv")};
    playScript("/dvd/cell.avs", f.settings, f.settingsFolder.path(), f.desktop);
    ASSERT_EQ(f.desktop.started.size(), 1u);
    EXPECT_EQ(f.desktop.started[0].program, "/usr/bin/mpv");
    AppSettings reread;
    loadSettings(reread, f.settingsFolder.path());
    EXPECT_EQ(reread.mediaPlayerPath, "/usr/bin/mpv"); // remembered for next time
}

TEST(PlayScript, APlayerThatDoesNotStartIsReported)
{
    PreviewFixture f("x");
    f.desktop.startSucceeds = false;
    playScript("/dvd/my cell.avs", f.settings, f.settingsFolder.path(), f.desktop);
    EXPECT_EQ(f.desktop.lastMessage(),
              "Error playing cell - Report to author. You can preview opening in your mediaplayer\n\"/dvd/my cell.avs\"");
}

TEST(PlayScript, AWindowsPlayerWithoutWineIsReportedSo)
{
    PreviewFixture f("x");
    f.settings.mediaPlayerPath = "/opt/MPC-HC/mpc-hc64.EXE";
    f.desktop.startSucceeds = false;
    ScopedEnv wine("WINE", "/nowhere/wine");
    playScript("Z:\\dvd\\my cell.avs", f.settings, f.settingsFolder.path(), f.desktop);
#ifdef _WIN32
    EXPECT_EQ(f.desktop.lastMessage(), "Error playing cell - Report to author. You can preview opening in your "
                                       "mediaplayer\n\"Z:\\dvd\\my cell.avs\"");
#else
    EXPECT_EQ(f.desktop.lastMessage(), "Error playing cell - Report to author. You can preview opening in your "
                                       "mediaplayer\n\"Z:\\dvd\\my cell.avs\"\nWine is needed to run "
                                       "/opt/MPC-HC/mpc-hc64.EXE.");
#endif
}

// DVD-Rebuilder under Wine names the scripts in the ECL by Windows paths in whatever letter
// case ("Z:\TMP\...\v01_0001_00001_001.AVS"); the preview must still find the first cell's
// script, and a Windows player must be handed test.avs by its Windows name.
TEST(WriteTestScript, FindsTheScriptsOfAProjectWrittenUnderWine)
{
    TempFolder folder;
    TempFolder settingsFolder;
    ScopedEnv prefix("WINEPREFIX", folder.file("no prefix").c_str()); // Z: is / and no other drive
    const std::string testScript = testScriptPathIn(settingsFolder.path());
    std::string windowsTestScript = "Z:" + testScript;
    std::replace(windowsTestScript.begin(), windowsTestScript.end(), '/', '\\');

    for (unsigned seed : {1u, 2u, 3u}) { // each seed cases the folders differently
        SCOPED_TRACE(seed);
        GeneratorOptions options = demoOptions(seed);
        options.windowsPaths = true;
        std::string inf;
        ASSERT_TRUE(generateProject(options, folder.file(std::to_string(seed)), &inf));
        FakeDesktop desktop;
        Project project;
        ASSERT_TRUE(project.load(inf, desktop));
        const Segment &segment = project.segment(0);
        const Cell &first = segment.cells.front();
        const std::string script = folder.file(cformat("%u/V%02d_%04d_%05d_%03d.avs", seed, first.vts, first.subId,
                                                       first.vobId, first.cellId));
#ifndef _WIN32
        ASSERT_EQ(first.name.substr(0, 3), "Z:\\");
        ASSERT_NE(first.name.substr(2), script) << "the name differs only in case and separators";
#endif
        std::string sourceLine;
        ASSERT_TRUE(LineReader(script).next(sourceLine));

        AppSettings settings;
        settings.mediaPlayerPath = "/usr/bin/mpv";
        ASSERT_TRUE(writeTestScript(segment, settings, settingsFolder.path(), desktop));
        LineReader written(testScript);
        std::string line;
        ASSERT_TRUE(written.next(line));
        EXPECT_EQ(line, sourceLine); // the D2V source stays in the Windows form AviSynth reads
        ASSERT_TRUE(written.next(line));
        EXPECT_EQ(line.substr(line.find(',')), ",-" + std::to_string(segment.frameSum()) + ")");
        EXPECT_EQ(desktop.started.back().arguments, std::vector<std::string>{testScript});

        // View Cell and View first cell play a cell's own script by its name in the project
        playScript(first.name, settings, settingsFolder.path(), desktop);
#ifndef _WIN32
        EXPECT_EQ(desktop.started.back().arguments, std::vector<std::string>{script});
#endif

        // The script editor and the sample script read the cells' scripts by the same names.
        ScriptEditorDialog editor(project, 0, settings, settingsFolder.path(), desktop);
        ASSERT_TRUE(editor.open());
        EXPECT_EQ(editor.loadedLines().front(), sourceLine);
        int rangeOffset = 0;
        std::string problem;
        EXPECT_TRUE(writeSampleScript(project, 0, SampleOptions{}, settingsFolder.file("sample.avs"), rangeOffset,
                                      desktop, problem))
            << problem;
#ifndef _WIN32
        // A Windows player started through Wine gets the Windows names (on Windows nothing is mapped).
        settings.mediaPlayerPath = "/opt/MPC-HC/mpc-hc64.EXE";
        ASSERT_TRUE(writeTestScript(segment, settings, settingsFolder.path(), desktop));
        EXPECT_EQ(desktop.started.back().arguments, std::vector<std::string>{windowsTestScript});
        playScript(first.name, settings, settingsFolder.path(), desktop);
        EXPECT_EQ(desktop.started.back().arguments, std::vector<std::string>{first.name});

#endif
        EXPECT_TRUE(desktop.messages.empty());
    }
}
