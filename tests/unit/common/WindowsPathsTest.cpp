// Paths the way Windows users have them: drive letters, backslashes, folders named in any
// script, and names that Windows programs wrote in the ANSI code page. The tests that need
// Windows itself run in the cross-built test program under Wine (scripts/test-windows).

#include "common/TextFile.h"
#include "project/Project.h"
#include "project/ProjectFiles.h"
#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/ProjectFilesBuilder.h"
#include "support/RunCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// German, Danish and Japanese letters: outside ASCII, and the last ones outside every
// Western ANSI code page.
const char *const nonAsciiFolder = "Gr\xC3\xB6\xC3\x9F" "e \xC3\x86r\xC3\xB8 \xE6\x97\xA5\xE6\x9C\xAC";

std::string withForwardSlashes(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

} // namespace

TEST(WindowsPaths, TheEclStandsBesideTheInfWhateverThePathLooksLike)
{
    struct Case {
        const char *inf;
        const char *ecl;
    };
    const Case cases[] = {
        {"C:\\DVD-Rebuilder\\Work\\Rebuilder.INF", "C:\\DVD-Rebuilder\\Work\\Rebuilder.ECL"},
        {"D:/work/REBUILDER.inf", "D:/work/REBUILDER.ECL"},
        {"\\\\server\\share\\film\\Rebuilder.INF", "\\\\server\\share\\film\\Rebuilder.ECL"},
        {"C:\\Filme\\Gr\xC3\xB6\xC3\x9F" "e\\Rebuilder.INF", "C:\\Filme\\Gr\xC3\xB6\xC3\x9F" "e\\Rebuilder.ECL"},
    };
    for (const Case &c : cases) {
        Project project;
        project.infPath = c.inf;
        EXPECT_EQ(project.eclPath(), c.ecl);
    }
}

TEST(WindowsPaths, SettingsFilesJoinTheFolderWithOneSeparator)
{
    struct Case {
        const char *folder;
        const char *ini;
    };
    const Case cases[] = {
#ifdef _WIN32
        {"C:\\Program Files\\Tavro", "C:\\Program Files\\Tavro\\Tavro.ini"},
        {"C:\\Program Files\\Tavro\\", "C:\\Program Files\\Tavro\\Tavro.ini"},
        {"C:/Tavro/", "C:/Tavro/Tavro.ini"},
#else
        {"/home/user/.config/Tavro", "/home/user/.config/Tavro/Tavro.ini"},
        {"/home/user/.config/Tavro/", "/home/user/.config/Tavro/Tavro.ini"},
#endif
        {"", "Tavro.ini"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(settingsFilePath(c.folder), c.ini) << c.folder;
}

// Load, change, save, reload and restore a project in a folder named in three scripts, the
// scripts too; on Windows also through the same path spelt with forward slashes.
TEST(NonAsciiNames, AProjectInAFolderNamedInThreeScriptsLoadsSavesAndRestores)
{
    struct Case {
        const char *name;
        bool forwardSlashes;
    };
    const Case cases[] = {
        {"native separators", false},
#ifdef _WIN32
        {"forward slashes after the drive letter", true},
#endif
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        const std::string folder = temp.file(nonAsciiFolder);
        ASSERT_TRUE(std::filesystem::create_directory(toFsPath(folder)));
        const std::string script = fromFsPath(toFsPath(folder) / toFsPath("V01 \xE6\x97\xA5.avs"));
        temp.write(std::string(nonAsciiFolder) + "/V01 \xE6\x97\xA5.avs", "Trim(0,999)\r\n");
        temp.write(std::string(nonAsciiFolder) + "/V01 \xE6\x97\xA5.avs.bak", "Trim(0,1999)\r\n");

        ProjectFilesBuilder files;
        files.add(1, 1, 1, 1000, 4000).itemLines = {"video_type=16", "name=" + script};
        files.add(1, 2, 1, 2000, 5000).itemLines = {"video_type=16"};
        const std::string nativeInf = temp.write(std::string(nonAsciiFolder) + "/Rebuilder.INF", files.infText());
        temp.write(std::string(nonAsciiFolder) + "/Rebuilder.ECL", files.eclText());
        const std::string originalInf = readBytes(nativeInf);
        const std::string originalEcl = readBytes(folder + "/Rebuilder.ECL");
        const std::string inf = c.forwardSlashes ? withForwardSlashes(nativeInf) : nativeInf;

        FakeDesktop desktop;
        Project project;
        ASSERT_TRUE(project.load(inf, desktop));
        ASSERT_EQ(project.segments.size(), 2u);
        EXPECT_EQ(project.segment(0).cells[0].name, script);
        project.segment(0).cells[0].bitrate = 2500;
        project.segment(0).replanned = true;
        ASSERT_TRUE(project.save(desktop, nullptr));
        EXPECT_TRUE(desktop.messages.empty());
        EXPECT_EQ(readBytes(project.infPath + ".original"), originalInf);
        EXPECT_EQ(readBytes(project.eclPath() + ".bak"), originalEcl);

        Project reloaded;
        ASSERT_TRUE(reloaded.load(inf, desktop));
        EXPECT_EQ(reloaded.segment(0).cells[0].bitrate, 2500);

        desktop.answers = {true};
        EXPECT_TRUE(restoreOriginals(reloaded, desktop));
        EXPECT_EQ(readBytes(nativeInf), originalInf);
        EXPECT_EQ(readBytes(folder + "/Rebuilder.ECL"), originalEcl);
        EXPECT_EQ(readBytes(script), "Trim(0,1999)\r\n");
    }
}

// A path that is not UTF-8 (bytes in an ANSI code page, or garbage in a hand-edited file)
// must come back as "cannot open", never as an exception that ends the program.
TEST(NonAsciiNames, BytesThatAreNotUtf8AreAFailureNotACrash)
{
    TempFolder temp;
    const std::string missing = temp.file("no folder \xE9\xFF\xC3") + "/Rebuilder.INF";
    EXPECT_NO_THROW({
        EXPECT_FALSE(isReadableFile(missing));
        EXPECT_FALSE(LineReader(missing).isOpen());
        EXPECT_FALSE(LineWriter(missing).isOpen());
        EXPECT_FALSE(copyTextFile(temp.write("a.txt", "a\r\n"), missing, true, true));
        FakeDesktop desktop;
        Project project;
        EXPECT_FALSE(project.load(missing, desktop));
        EXPECT_EQ(desktop.messages.size(), 1u);
    });
}

#ifdef _WIN32
// DVD-Rebuilder writes the script names into the ECL in the ANSI code page.
TEST(NonAsciiNames, AScriptNamedInTheAnsiCodePageOpens)
{
    const wchar_t *const name = L"caf\u00E9 \u00C6r\u00F8.avs";
    char ansi[MAX_PATH];
    BOOL lost = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, -1, ansi, sizeof ansi, nullptr, &lost);
    if (GetACP() == CP_UTF8 || length <= 0 || lost)
        GTEST_SKIP() << "the ANSI code page " << GetACP() << " has no such letters";

    TempFolder temp;
    const std::filesystem::path file = toFsPath(temp.path()) / name;
    std::FILE *out = _wfopen(file.c_str(), L"wb");
    ASSERT_NE(out, nullptr);
    std::fputs("Trim(0,99)\r\n", out);
    std::fclose(out);

    for (const std::string &path : {fromFsPath(file), temp.path() + "\\" + ansi}) {
        LineReader reader(path);
        std::string line;
        ASSERT_TRUE(reader.next(line)) << path;
        EXPECT_EQ(line, "Trim(0,99)");
    }
}
#endif

// The folder reaches the program through its command line: on Windows argv would carry it in
// the ANSI code page and lose the Japanese letters.
TEST(NonAsciiNames, MakeProjectWritesIntoAFolderNamedOnItsCommandLine)
{
    TempFolder temp;
    const std::string folder = temp.file(nonAsciiFolder);
    const std::string inf = fromFsPath(toFsPath(folder) / "Rebuilder.INF");
    const std::string command = std::string("\"") + TAVRO_MAKE_PROJECT + "\" --seed 4 --size 3 \"" + folder + "\"";
    const CommandOutput run = runCommand(command);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.printed, inf + "\n");
    EXPECT_TRUE(isReadableFile(inf));
    EXPECT_TRUE(isReadableFile(fromFsPath(toFsPath(folder) / "Rebuilder.ECL")));
}
