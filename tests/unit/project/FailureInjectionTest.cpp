#include "project/Project.h"
#include "project/ProjectFiles.h"
#include "support/FakeDesktop.h"
#include "support/ProjectFilesBuilder.h"
#include "support/ScratchMount.h"

#include "common/TextFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>

#ifdef __unix__
#include <sys/resource.h>
#endif

namespace {

const char *const saveFailed = "Error saving... please restore .bak files";

std::map<std::string, std::string> snapshot(const std::string &folder)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : std::filesystem::directory_iterator(toFsPath(folder)))
        files[fromFsPath(entry.path().filename())] = readBytes(fromFsPath(entry.path()));
    return files;
}

// A project large enough to span several pages of a small file system.
ProjectFilesBuilder sizeableProject()
{
    ProjectFilesBuilder files;
    for (int vob = 1; vob <= 12; ++vob) {
        for (int cell = 1; cell <= 4; ++cell) {
            CellEntry &entry = files.add(1, vob, cell, 1000 + vob * 10 + cell, 3000 + vob * 100);
            entry.itemLines = {"video_type=16", "gop_nm=5", "gop_hdr=15", "vbr_pass=2", "passes=2",
                              "comment=" + std::string(200, 'c')};
        }
    }
    return files;
}

// What an unchanged save in an unconstrained folder writes for the same files: the one new
// content a constrained save may leave behind.
struct Expected {
    std::string inf;
    std::string ecl;
};

Expected plannedSave(const std::map<std::string, std::string> &files)
{
    TempFolder folder;
    for (const auto &[name, bytes] : files)
        folder.write(name, bytes);
    FakeDesktop desktop;
    Project project;
    EXPECT_TRUE(project.load(folder.file("Rebuilder.INF"), desktop));
    project.segment(0).setAverageBitrate(2000);
    EXPECT_TRUE(project.save(desktop, nullptr));
    return {readBytes(folder.file("Rebuilder.INF")), readBytes(folder.file("Rebuilder.ECL"))};
}

// After a failed save every file of the project folder is whole: the INF and ECL are either as
// they were or completely rewritten, and every copy is a complete copy of what it copied.
void expectNothingTruncated(const std::map<std::string, std::string> &before,
                            const std::map<std::string, std::string> &after, const Expected &expected)
{
    for (const auto &[name, bytes] : after) {
        SCOPED_TRACE(name);
        if (name == "Rebuilder.INF") {
            EXPECT_TRUE(bytes == before.at(name) || bytes == expected.inf);
        } else if (name == "Rebuilder.ECL") {
            EXPECT_TRUE(bytes == before.at(name) || bytes == expected.ecl);
        } else if (name.rfind("Rebuilder.INF.", 0) == 0) {
            EXPECT_EQ(bytes, before.at("Rebuilder.INF"));
        } else if (name.rfind("Rebuilder.ECL.", 0) == 0) {
            EXPECT_EQ(bytes, before.at("Rebuilder.ECL"));
        } else {
            ADD_FAILURE() << "a file the save left behind";
        }
    }
}

} // namespace

// The disk fills up somewhere during the save: at each of the copies and rewrites in turn.
TEST(SaveFailures, ADiskThatFillsLeavesEveryFileWhole)
{
    if (!ScratchMount::available())
        GTEST_SKIP() << "mounting a small file system needs root; the file-size limit test covers this";
    const ProjectFilesBuilder files = sizeableProject();
    const std::map<std::string, std::string> original = {{"Rebuilder.INF", files.infText()},
                                                         {"Rebuilder.ECL", files.eclText()}};
    const Expected expected = plannedSave(original);
    const long long page = 4096;
    const long long projectPages = 2 + (long long)(files.infText().size() + files.eclText().size()) / page;
    int failures = 0;
    bool succeeded = false;
    for (long long pages = projectPages; pages < projectPages + 48 && !succeeded; ++pages) {
        SCOPED_TRACE(pages);
        ScratchMount disk(pages * page);
        ASSERT_TRUE(disk.mounted());
        bool fits = true;
        for (const auto &[name, bytes] : original)
            fits = fits && TempFolder::writeTo(disk.file(name), bytes);
        if (!fits)
            continue;
        const auto before = snapshot(disk.path());
        FakeDesktop desktop;
        Project project;
        ASSERT_TRUE(project.load(disk.file("Rebuilder.INF"), desktop));
        project.segment(0).setAverageBitrate(2000);
        succeeded = project.save(desktop, nullptr);
        if (!succeeded) {
            ++failures;
            EXPECT_EQ(desktop.messageTexts(), std::vector<std::string>{saveFailed});
            expectNothingTruncated(before, snapshot(disk.path()), expected);
        } else {
            EXPECT_EQ(readBytes(disk.file("Rebuilder.INF")), expected.inf);
            EXPECT_EQ(readBytes(disk.file("Rebuilder.ECL")), expected.ecl);
        }
    }
    EXPECT_TRUE(succeeded);
    EXPECT_GE(failures, 4); // the disk filled at several different steps before the save fitted
}

#ifdef __unix__
// The same with a limit on the size of any one file, which needs no special rights.
TEST(SaveFailures, AFileSizeLimitLeavesEveryFileWhole)
{
    const ProjectFilesBuilder files = sizeableProject();
    const std::map<std::string, std::string> original = {{"Rebuilder.INF", files.infText()},
                                                         {"Rebuilder.ECL", files.eclText()}};
    const Expected expected = plannedSave(original);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const long long limits[] = {512, 2048, (long long)files.infText().size() + 1000, 16384,
                                (long long)files.eclText().size() - 1};
    for (long long limit : limits) {
        SCOPED_TRACE(limit);
        TempFolder folder;
        for (const auto &[name, bytes] : original)
            folder.write(name, bytes);
        const auto before = snapshot(folder.path());
        FakeDesktop desktop;
        Project project;
        ASSERT_TRUE(project.load(folder.file("Rebuilder.INF"), desktop));
        project.segment(0).setAverageBitrate(2000);
        rlimit limited = saved;
        limited.rlim_cur = rlim_t(limit);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const bool ok = project.save(desktop, nullptr);
        setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_FALSE(ok);
        EXPECT_EQ(desktop.messageTexts(), std::vector<std::string>{saveFailed});
        expectNothingTruncated(before, snapshot(folder.path()), expected);
    }
    std::signal(SIGXFSZ, previousHandler);
}
#endif

TEST(SaveFailures, ReadOnlyFolderFileOrCopy)
{
    if (!ScratchMount::available())
        GTEST_SKIP() << "read-only mounts need root";
    struct Case {
        const char *name;
        std::function<bool(ScratchMount &)> protect;
    };
    const Case cases[] = {
        {"read-only project folder", [](ScratchMount &disk) { return disk.makeReadOnly(); }},
        {"read-only INF", [](ScratchMount &disk) { return disk.protectFile(disk.file("Rebuilder.INF")); }},
        {"read-only ECL", [](ScratchMount &disk) { return disk.protectFile(disk.file("Rebuilder.ECL")); }},
        {"a .bak that cannot be written",
         [](ScratchMount &disk) {
             return TempFolder::writeTo(disk.file("Rebuilder.ECL.bak"), "older\r\n")
                 && disk.protectFile(disk.file("Rebuilder.ECL.bak"));
         }},
    };
    const ProjectFilesBuilder files = sizeableProject();
    const std::map<std::string, std::string> original = {{"Rebuilder.INF", files.infText()},
                                                         {"Rebuilder.ECL", files.eclText()}};
    const Expected expected = plannedSave(original);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScratchMount disk(4 << 20);
        ASSERT_TRUE(disk.mounted());
        for (const auto &[name, bytes] : original)
            ASSERT_TRUE(TempFolder::writeTo(disk.file(name), bytes));
        FakeDesktop desktop;
        Project project;
        ASSERT_TRUE(project.load(disk.file("Rebuilder.INF"), desktop));
        project.segment(0).setAverageBitrate(2000);
        ASSERT_TRUE(c.protect(disk));
        auto before = snapshot(disk.path());
        EXPECT_FALSE(project.save(desktop, nullptr));
        EXPECT_EQ(desktop.messageTexts(), std::vector<std::string>{saveFailed});
        auto after = snapshot(disk.path());
        if (before.count("Rebuilder.ECL.bak")) {
            EXPECT_EQ(after.at("Rebuilder.ECL.bak"), "older\r\n");
            before.erase("Rebuilder.ECL.bak");
            after.erase("Rebuilder.ECL.bak");
        }
        expectNothingTruncated(before, after, expected);
    }
}

TEST(RestoreFailures, AReadOnlyFolderStopsTheRestoreWithoutEnding)
{
    if (!ScratchMount::available())
        GTEST_SKIP() << "read-only mounts need root";
    ScratchMount disk(1 << 20);
    ASSERT_TRUE(disk.mounted());
    const ProjectFilesBuilder files = sizeableProject();
    ASSERT_TRUE(TempFolder::writeTo(disk.file("Rebuilder.INF"), files.infText()));
    ASSERT_TRUE(TempFolder::writeTo(disk.file("Rebuilder.ECL"), files.eclText()));
    ASSERT_TRUE(TempFolder::writeTo(disk.file("Rebuilder.INF.original"), "first\r\n"));
    FakeDesktop desktop;
    Project project;
    ASSERT_TRUE(project.load(disk.file("Rebuilder.INF"), desktop));
    ASSERT_TRUE(disk.makeReadOnly());
    desktop.answers = {true};
    EXPECT_FALSE(restoreOriginals(project, desktop));
    EXPECT_EQ(desktop.lastMessage(), "Problems restoring original Rebuilder.inf.");
    EXPECT_FALSE(desktop.exitStatus);
    EXPECT_EQ(readBytes(disk.file("Rebuilder.INF")), files.infText());
}
