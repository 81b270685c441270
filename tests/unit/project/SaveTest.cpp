#include "project/Project.h"
#include "project/ProjectFiles.h"
#include "ProjectGenerator.h"
#include "common/Format.h"
#include "common/TextFile.h"
#include "platform/PathMapper.h"
#include "support/FakeDesktop.h"
#include "support/ProjectFilesBuilder.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#ifdef __unix__
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const char *const saveFailed = "Error saving... please restore .bak files";

struct SavedProject {
    TempFolder folder;
    ProjectFilesBuilder files;
    FakeDesktop desktop;
    Project project;
    std::string inf;
    std::string ecl;

    SavedProject()
    {
        files.add(1, 1, 1, 1000, 4000).itemLines = {"video_type=16"};
        files.add(1, 1, 2, 2000, 3000).itemLines = {"video_type=16"};
        files.add(1, 2, 1, 1500, 5000).itemLines = {"video_type=4", "opv_q_factor=10"};
        inf = files.writeTo(folder);
        ecl = folder.file("Rebuilder.ECL");
        EXPECT_TRUE(project.load(inf, desktop));
    }
};

std::size_t filesIn(const std::string &folder)
{
    return std::size_t(std::distance(std::filesystem::directory_iterator(folder), {}));
}

} // namespace

TEST(CopyTextFile, TheFourRules)
{
    struct Case {
        const char *name;
        const char *source;      // nullptr: no source file
        const char *destination; // nullptr: no destination file
        bool overwrite;
        bool sourceRequired;
        bool result;
        const char *after; // the destination afterwards; nullptr: still absent
    };
    const Case cases[] = {
        {"an existing copy is kept", "new\r\n", "old\r\n", false, true, true, "old\r\n"},
        {"an existing copy is replaced when asked", "new\r\n", "old\r\n", true, true, true, "new\r\n"},
        {"a missing required source fails", nullptr, "old\r\n", true, true, false, "old\r\n"},
        {"a missing optional source copies nothing", nullptr, nullptr, true, false, true, nullptr},
        {"lines get CR LF, no empty line at the end", "a\nb\n", nullptr, false, true, true, "a\r\nb\r\n"},
        {"a last line without line end gets one", "a\r\nb", nullptr, false, true, true, "a\r\nb\r\n"},
        {"empty lines inside are kept", "a\n\nb\n", nullptr, false, true, true, "a\r\n\r\nb\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string source = folder.file("Rebuilder.INF");
        const std::string destination = folder.file("Rebuilder.INF.bak");
        if (c.source)
            folder.write("Rebuilder.INF", c.source);
        if (c.destination)
            folder.write("Rebuilder.INF.bak", c.destination);
        EXPECT_EQ(copyTextFile(source, destination, c.overwrite, c.sourceRequired), c.result);
        EXPECT_EQ(readBytes(destination), c.after ? c.after : "<missing>");
    }
}

TEST(CopyTextFile, AnUnwritableDestinationFailsAndKeepsWhatWasThere)
{
    TempFolder folder;
    const std::string source = folder.write("a.txt", "a\r\n");
    EXPECT_FALSE(copyTextFile(source, folder.file("missing/a.txt"), true, true));
    std::filesystem::create_directory(toFsPath(folder.file("a.txt.bak")));
    EXPECT_FALSE(copyTextFile(source, folder.file("a.txt.bak"), true, true));
    EXPECT_EQ(filesIn(folder.path()), 2u); // no temporary file left behind
}

TEST(ProjectSave, WritesCopiesThenBothFiles)
{
    SavedProject saved;
    const std::string originalInf = readBytes(saved.inf);
    const std::string originalEcl = readBytes(saved.ecl);
    saved.project.segment(0).cells[0].bitrate = 2000;
    saved.project.scriptsModified = true;
    saved.project.segment(0).replanned = true; // VBR: no prediction needed
    int predictions = 0;
    ASSERT_TRUE(saved.project.save(saved.desktop, [&] { return ++predictions, true; }));
    EXPECT_EQ(predictions, 0);
    EXPECT_TRUE(saved.desktop.messages.empty());
    EXPECT_EQ(readBytes(saved.inf + ".original"), originalInf);
    EXPECT_EQ(readBytes(saved.ecl + ".original"), originalEcl);
    EXPECT_EQ(readBytes(saved.inf + ".bak"), originalInf);
    EXPECT_EQ(readBytes(saved.ecl + ".bak"), originalEcl);
    EXPECT_NE(readBytes(saved.inf).find("Frames=1000\r\nReduction=25.0\r\n"), std::string::npos);
    EXPECT_NE(readBytes(saved.ecl).find("vbr_brate_avg=2000\r\n"), std::string::npos);
    EXPECT_FALSE(saved.project.scriptsModified);
    EXPECT_FALSE(saved.project.segment(0).replanned);
    EXPECT_EQ(filesIn(saved.folder.path()), 6u);
}

TEST(ProjectSave, SavingTwiceKeepsTheFirstOriginal)
{
    SavedProject saved;
    const std::string originalInf = readBytes(saved.inf);
    saved.project.segment(0).cells[0].bitrate = 2000;
    ASSERT_TRUE(saved.project.save(saved.desktop, nullptr));
    const std::string firstInf = readBytes(saved.inf);
    const std::string firstEcl = readBytes(saved.ecl);
    saved.project.segment(0).cells[0].bitrate = 3000;
    ASSERT_TRUE(saved.project.save(saved.desktop, nullptr));
    EXPECT_EQ(readBytes(saved.inf + ".original"), originalInf);
    EXPECT_EQ(readBytes(saved.inf + ".bak"), firstInf);
    EXPECT_EQ(readBytes(saved.ecl + ".bak"), firstEcl);
    EXPECT_NE(readBytes(saved.inf).find("Frames=1000\r\nReduction=37.5\r\n"), std::string::npos);
}

TEST(ProjectSave, PredictionRunsForReplannedOpvSegmentsAndItsCancelWritesNothing)
{
    SavedProject saved;
    saved.files.writeTo(saved.folder); // fresh files, with old copies beside them
    saved.folder.write("Rebuilder.INF.bak", "older inf\r\n");
    saved.folder.write("Rebuilder.ECL.bak", "older ecl\r\n");
    const std::string inf = readBytes(saved.inf);
    const std::string ecl = readBytes(saved.ecl);
    Segment &opv = saved.project.segment(1);
    ASSERT_FALSE(opv.vbrMode);
    opv.replanned = true;
    opv.cells[0].bitrate = 2500;
    int predictions = 0;
    EXPECT_FALSE(saved.project.save(saved.desktop, [&] { return ++predictions, false; }));
    EXPECT_EQ(predictions, 1);
    EXPECT_TRUE(saved.desktop.messages.empty());
    EXPECT_EQ(readBytes(saved.inf), inf);
    EXPECT_EQ(readBytes(saved.ecl), ecl);
    EXPECT_EQ(readBytes(saved.inf + ".bak"), "older inf\r\n");
    EXPECT_EQ(readBytes(saved.ecl + ".bak"), "older ecl\r\n");
    EXPECT_TRUE(opv.replanned);

    // The prediction stores its Q factor; the save then writes it.
    EXPECT_TRUE(saved.project.save(saved.desktop, [&] {
        opv.settings.opvQFactor = 33;
        return true;
    }));
    EXPECT_NE(readBytes(saved.ecl).find("opv_q_factor=33\r\n"), std::string::npos);
    EXPECT_FALSE(opv.replanned);
}

TEST(ProjectSave, FailuresChangeNeitherFileAndSayWhyAndWhere)
{
    struct Case {
        const char *name;
        std::function<void(SavedProject &)> breakIt;
        const char *file; // the file the message names
        const char *reason;
    };
    auto blockWith = [](const char *name) {
        return [name](SavedProject &saved) {
            std::filesystem::create_directory(toFsPath(saved.folder.file(name)));
        };
    };
    const Case cases[] = {
        {"ECL vanished", [](SavedProject &saved) { std::filesystem::remove(toFsPath(saved.ecl)); }, "Rebuilder.ECL",
         "No such file or directory"},
        {"INF vanished", [](SavedProject &saved) { std::filesystem::remove(toFsPath(saved.inf)); }, "Rebuilder.INF",
         "No such file or directory"},
        {"INF copy cannot be written", blockWith("Rebuilder.INF.bak"), "Rebuilder.INF.bak", "Is a directory"},
        {"INF original cannot be written", blockWith("Rebuilder.INF.original"), "Rebuilder.INF.original",
         "Is a directory"},
        // Once the INF was rewritten before the ECL copy failed; now neither is.
        {"ECL copy cannot be written", blockWith("Rebuilder.ECL.bak"), "Rebuilder.ECL.bak", "Is a directory"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SavedProject saved;
        const std::string inf = readBytes(saved.inf);
        const std::string ecl = readBytes(saved.ecl);
        saved.project.segment(0).cells[0].bitrate = 2000;
        c.breakIt(saved);
        EXPECT_FALSE(saved.project.save(saved.desktop, nullptr));
        EXPECT_EQ(saved.desktop.messageTexts(),
                  std::vector<std::string>{"Error saving: Rebuilder.INF and Rebuilder.ECL were not changed.\n"
                                           + saved.folder.file(c.file) + ": " + c.reason});
        if (fileExists(saved.inf)) {
            EXPECT_EQ(readBytes(saved.inf), inf);
        }
        if (fileExists(saved.ecl)) {
            EXPECT_EQ(readBytes(saved.ecl), ecl);
        }
        EXPECT_FALSE(fileExists(saved.inf + ".bak") && !std::filesystem::is_directory(toFsPath(saved.inf + ".bak")));
        for (const auto &entry : std::filesystem::directory_iterator(toFsPath(saved.folder.path())))
            EXPECT_EQ(fromFsPath(entry.path().filename()).find(".tavro-"), std::string::npos);
    }
}

// Every value a save writes is one the next load accepts: a plan at the bitrate limit loads again.
TEST(ProjectSave, APlanAtTheBitrateLimitLoadsAgain)
{
    SavedProject saved;
    saved.project.segment(0).cells[0].loadedReduction = 0.0001f;
    saved.project.segment(0).cells[0].setBitrate(2'000'000'000);
    ASSERT_TRUE(saved.project.save(saved.desktop, nullptr));
    Project reloaded;
    ASSERT_TRUE(reloaded.load(saved.inf, saved.desktop)) << saved.desktop.lastMessage();
    EXPECT_EQ(reloaded.segment(0).cells[0].loadedBitrate, maxCellBitrate);
}

#ifdef __unix__
// Links to the project files elsewhere: the files they point to are replaced, the links stay,
// and the replaced files keep their permissions.
TEST(ProjectSave, ThroughLinksKeepingThePermissions)
{
    SavedProject saved;
    TempFolder elsewhere;
    for (const char *name : {"Rebuilder.INF", "Rebuilder.ECL"}) {
        const std::string real = elsewhere.write(name, readBytes(saved.folder.file(name)));
        ASSERT_EQ(::chmod(real.c_str(), std::string(name) == "Rebuilder.INF" ? 0640 : 0604), 0);
        std::filesystem::remove(toFsPath(saved.folder.file(name)));
        ASSERT_EQ(::symlink(real.c_str(), saved.folder.file(name).c_str()), 0);
    }
    const std::string inf = readBytes(saved.inf);
    saved.project.segment(0).cells[0].bitrate = 2000;
    ASSERT_TRUE(saved.project.save(saved.desktop, nullptr)) << saved.desktop.lastMessage();
    for (const auto &[name, mode] : {std::pair{"Rebuilder.INF", 0640}, {"Rebuilder.ECL", 0604}}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(std::filesystem::is_symlink(toFsPath(saved.folder.file(name))));
        struct stat status {};
        ASSERT_EQ(::stat(elsewhere.file(name).c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, mode);
    }
    EXPECT_NE(readBytes(elsewhere.file("Rebuilder.INF")).find("Frames=1000\r\nReduction=25.0\r\n"), std::string::npos);
    EXPECT_EQ(readBytes(saved.inf + ".bak"), inf);
    EXPECT_EQ(filesIn(elsewhere.path()), 2u); // no temporary left beside the real files
    EXPECT_EQ(filesIn(saved.folder.path()), 6u);
}
#endif

TEST(ProjectSave, NothingLoadedNothingWritten)
{
    TempFolder folder;
    FakeDesktop desktop;
    Project project;
    project.infPath = folder.file("Rebuilder.INF");
    EXPECT_FALSE(project.save(desktop, nullptr));
    EXPECT_EQ(filesIn(folder.path()), 0u);
}

TEST(RestoreOriginals, CopiesBackWhatExistsAndEndsTheProgram)
{
    SavedProject saved;
    const std::string originalInf = readBytes(saved.inf);
    const std::string originalEcl = readBytes(saved.ecl);
    // Point the cells at real scripts; the first has a backup made by the script editor.
    const std::string script1 = saved.folder.write("one.avs", "edited\r\n");
    const std::string script2 = saved.folder.write("two.avs", "untouched\r\n");
    saved.folder.write("one.avs.bak", "as written by DVD-Rebuilder\r\n");
    saved.project.segment(0).cells[0].name = script1;
    saved.project.segment(0).cells[1].name = script2;
    saved.project.segment(0).cells[0].bitrate = 2000;
    ASSERT_TRUE(saved.project.save(saved.desktop, nullptr));
    ASSERT_NE(readBytes(saved.inf), originalInf);
    const std::string savedInf = readBytes(saved.inf);
    const std::string savedEcl = readBytes(saved.ecl);

    saved.desktop.answers = {false};
    EXPECT_FALSE(restoreOriginals(saved.project, saved.desktop));
    EXPECT_FALSE(saved.desktop.exitStatus);
    EXPECT_NE(readBytes(saved.inf), originalInf);

    saved.desktop.answers = {true};
    EXPECT_TRUE(restoreOriginals(saved.project, saved.desktop));
    EXPECT_EQ(saved.desktop.questions.back().text,
              "This will exit the program, restoring DVD-Rebuilder original files.\nDo you want to continue?");
    EXPECT_EQ(saved.desktop.exitStatus, 0);
    EXPECT_EQ(readBytes(saved.inf), originalInf);
    EXPECT_EQ(readBytes(saved.ecl), originalEcl);
    EXPECT_EQ(readBytes(saved.inf + ".bak"), savedInf); // what the restore replaced
    EXPECT_EQ(readBytes(saved.ecl + ".bak"), savedEcl);
    EXPECT_EQ(readBytes(script1), "as written by DVD-Rebuilder\r\n");
    EXPECT_EQ(readBytes(script2), "untouched\r\n");
}

// The ECL names the scripts by Windows paths in another letter case than the files have.
TEST(RestoreOriginals, RestoresTheScriptsOfAProjectWrittenUnderWine)
{
    TempFolder folder;
    ScopedEnv prefix("WINEPREFIX", folder.file("no prefix").c_str());
    GeneratorOptions options = demoOptions(2);
    options.windowsPaths = true;
    std::string inf;
    ASSERT_TRUE(generateProject(options, folder.file("project"), &inf));
    FakeDesktop desktop;
    Project project;
    ASSERT_TRUE(project.load(windowsPath(inf), desktop)); // as a Windows program would name it
    EXPECT_EQ(project.infPath, inf);
    const Cell &cell = project.segment(0).cells[0];
    const std::string script = folder.file(
        cformat("project/V%02d_%04d_%05d_%03d.avs", cell.vts, cell.subId, cell.vobId, cell.cellId));
    ASSERT_TRUE(TempFolder::writeTo(script + ".bak", "as written by DVD-Rebuilder\r\n"));
    ASSERT_TRUE(TempFolder::writeTo(script, "edited\r\n"));

    desktop.answers = {true};
    EXPECT_TRUE(restoreOriginals(project, desktop));
    EXPECT_TRUE(desktop.messages.empty()) << desktop.lastMessage();
    EXPECT_EQ(readBytes(script), "as written by DVD-Rebuilder\r\n");
}

TEST(RestoreOriginals, NeverSavedLeavesTheFilesAndStillEnds)
{
    SavedProject saved;
    const std::string inf = readBytes(saved.inf);
    saved.desktop.answers = {true};
    EXPECT_TRUE(restoreOriginals(saved.project, saved.desktop));
    EXPECT_EQ(saved.desktop.exitStatus, 0);
    EXPECT_EQ(readBytes(saved.inf), inf);
    EXPECT_FALSE(fileExists(saved.inf + ".original"));
}

TEST(RestoreOriginals, AFailedCopyStopsWithoutEnding)
{
    struct Case {
        const char *blocked; // made a folder, so the copy cannot replace it
        const char *message;
        bool infKept; // the INF is restored only together with the ECL
    };
    const Case cases[] = {
        {"Rebuilder.INF", "Problems restoring original Rebuilder.inf.", true},
        {"Rebuilder.ECL", "Problems restoring original Rebuilder.ECL.", true},
        {"one.avs", "Problems restoring scripts...", false},
    };
    for (const Case &c : cases) {
        SavedProject saved;
        saved.folder.write("Rebuilder.INF.original", "original inf\r\n");
        saved.folder.write("Rebuilder.ECL.original", "original ecl\r\n");
        saved.folder.write("one.avs.bak", "script\r\n");
        saved.project.segment(0).cells[0].name = saved.folder.file("one.avs");
        std::filesystem::remove(toFsPath(saved.folder.file(c.blocked)));
        std::filesystem::create_directory(toFsPath(saved.folder.file(c.blocked)));
        const std::string inf = readBytes(saved.inf);
        saved.desktop.answers = {true};
        EXPECT_FALSE(restoreOriginals(saved.project, saved.desktop));
        EXPECT_FALSE(saved.desktop.exitStatus);
        ASSERT_FALSE(saved.desktop.messages.empty());
        EXPECT_EQ(saved.desktop.messages.back().text.rfind(c.message, 0), 0u) << saved.desktop.messages.back().text;
        EXPECT_EQ(saved.desktop.messages.back().icon, Desktop::Icon::Error);
        EXPECT_EQ(readBytes(saved.inf) == inf, c.infKept);
    }
}

// Copied from Windows, a working folder may spell the ECL in any letter case; it is read, and
// saved back, under the name it has.
TEST(Save, TheEclIsFoundWhateverItsLetterCaseAndWrittenBackToTheSameFile)
{
    TempFolder folder;
    ProjectFilesBuilder files;
    files.add(1, 1, 1, 1000, 4000).itemLines = {"video_type=16"};
    const std::string inf = folder.write("Rebuilder.INF", files.infText());
    const std::string ecl = folder.write("rebuilder.ecl", files.eclText());
    FakeDesktop desktop;
    Project project;
    ASSERT_TRUE(project.load(inf, desktop));
    EXPECT_EQ(project.segment(0).cells[0].bitrate, 4000);
    project.segment(0).cells[0].bitrate = 3500;
    ASSERT_TRUE(project.save(desktop, nullptr));
    EXPECT_NE(readBytes(ecl).find("vbr_brate_avg=3500\r\n"), std::string::npos);

    // One ECL and its copies, not a second ECL under the other spelling.
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder.path())) {
        std::string name = entry.path().filename().string();
        for (char &c : name)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"rebuilder.ecl", "rebuilder.ecl.bak", "rebuilder.ecl.original",
                                               "rebuilder.inf", "rebuilder.inf.bak", "rebuilder.inf.original"}));
}
