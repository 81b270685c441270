// Windows paths from a project written under Wine, and Windows programs started through Wine,
// against a scratch Wine prefix with its drive links.

#include "platform/PathMapper.h"

#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

#ifndef _WIN32

namespace {

std::string backslashed(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// A prefix as winecfg leaves it: C: on drive_c through a relative link, D: on a media folder
// through an absolute one, and E: on a folder inside D:'s. Z: has no link unless a test adds it.
struct ScratchPrefix {
    TempFolder temp;
    std::string prefix = temp.file("wine");
    std::string driveC = prefix + "/drive_c";
    std::string media = temp.file("media");

    ScratchPrefix()
    {
        fs::create_directories(driveC + "/DVDRB/Work");
        fs::create_directories(media + "/film");
        fs::create_directories(media + "/deep/er");
        fs::create_directories(prefix + "/dosdevices");
        temp.write("wine/drive_c/DVDRB/Work/V01_0001.avs", "Trim(0,99)\r\n");
        temp.write("media/film/Cell.avs", "Trim(0,99)\r\n");
        link("c:", "../drive_c");
        link("d:", media);
        link("e:", media + "/deep");
        link("c::", "/dev/sda1"); // Wine's raw device entries are no drives
    }
    void link(const std::string &name, const std::string &target) const
    {
        fs::create_directory_symlink(target, prefix + "/dosdevices/" + name);
    }
};

} // namespace

TEST(PathMapper, HostPathFollowsTheDriveLinksAndMatchesLetterCase)
{
    ScratchPrefix p;
    const PathMapper mapper(p.prefix);
    const std::string tempUpper = [&] {
        // the scratch folder's own name in upper case: found from / by ignoring case
        std::string name = fs::path(p.temp.path()).filename().string();
        std::transform(name.begin(), name.end(), name.begin(), ::toupper);
        return backslashed(fs::path(p.temp.path()).parent_path().string()) + "\\" + name;
    }();
    struct Case {
        std::string windows;
        std::string host;
    };
    const Case cases[] = {
        {"C:\\DVDRB\\Work\\V01_0001.avs", p.driveC + "/DVDRB/Work/V01_0001.avs"},
        {"c:/dvdrb/WORK/v01_0001.AVS", p.driveC + "/DVDRB/Work/V01_0001.avs"},  // case of every component
        {"C:\\DVDRB\\.\\Temp\\..\\Work\\\\V01_0001.avs", p.driveC + "/DVDRB/Work/V01_0001.avs"},
        {"C:\\dvdrb\\Work\\V01_0002.avs", p.driveC + "/DVDRB/Work/V01_0002.avs"}, // missing file kept as written
        {"C:\\DVDRB\\gone\\Sub\\x.avs", p.driveC + "/DVDRB/gone/Sub/x.avs"},      // so is everything below a gap
        {"C:\\", p.driveC},
        {"C:", p.driveC},
        {"D:\\FILM\\cell.avs", p.media + "/film/Cell.avs"},
        {"E:\\ER", p.media + "/deep/er"},
        {"Z:" + backslashed(p.temp.path()) + "\\media\\film\\Cell.avs", p.media + "/film/Cell.avs"},
        {"z:" + tempUpper + "\\MEDIA\\Film\\CELL.AVS", p.media + "/film/Cell.avs"}, // Z: is / by default
        // left as they are
        {"Q:\\no\\link.avs", "Q:\\no\\link.avs"},
        {"\\\\server\\share\\V01.avs", "\\\\server\\share\\V01.avs"},
        {"scripts\\V01.avs", "scripts\\V01.avs"},
        {"C:relative.avs", "C:relative.avs"},
        {"/home/ana/dvd/V01.avs", "/home/ana/dvd/V01.avs"},
        {"", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(mapper.hostPath(c.windows), c.host) << c.windows;
}

TEST(PathMapper, ZFollowsItsLinkWhenThePrefixHasOne)
{
    ScratchPrefix p;
    const PathMapper mapper(p.prefix);
    p.link("z:", p.media);
    EXPECT_EQ(mapper.hostPath("Z:\\film\\Cell.avs"), p.media + "/film/Cell.avs");
    EXPECT_EQ(mapper.windowsPath(p.media + "/film/Cell.avs"), "D:\\film\\Cell.avs"); // equally deep: first letter
    // outside every drive: still named on Z:, where a Wine user looks for it
    EXPECT_EQ(mapper.windowsPath("/usr/share/doc"), "Z:\\usr\\share\\doc");
}

TEST(PathMapper, WindowsPathTakesTheDeepestDriveThatCoversThePath)
{
    ScratchPrefix p;
    const PathMapper mapper(p.prefix);
    const std::string cwd = fs::current_path().string();
    struct Case {
        std::string host;
        std::string windows;
    };
    const Case cases[] = {
        {p.driveC + "/DVDRB/Work/V01_0001.avs", "C:\\DVDRB\\Work\\V01_0001.avs"},
        {p.prefix + "/dosdevices/../drive_c/DVDRB", "C:\\DVDRB"},
        {p.driveC, "C:\\"},
        {p.media + "/film/new file.avs", "D:\\film\\new file.avs"},
        {p.media + "/deep/er/x.avs", "E:\\er\\x.avs"}, // E: lies inside D: and is deeper
        {p.media, "D:\\"},
        {p.temp.file("elsewhere/test.avs"), "Z:" + backslashed(p.temp.file("elsewhere/test.avs"))},
        {"/", "Z:\\"},
        {"rel/test.avs", "Z:" + backslashed(cwd) + "\\rel\\test.avs"},
        // already Windows paths
        {"C:\\DVDRB\\x.avs", "C:\\DVDRB\\x.avs"},
        {"\\\\server\\share\\x.avs", "\\\\server\\share\\x.avs"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(mapper.windowsPath(c.host), c.windows) << c.host;
}

TEST(PathMapper, TheProcessMapperUsesWinePrefixElseTheHomeFolder)
{
    ScratchPrefix p;
    {
        ScopedEnv prefix("WINEPREFIX", p.prefix.c_str());
        EXPECT_EQ(PathMapper::defaultWinePrefix(), p.prefix);
        EXPECT_EQ(hostPath("C:\\dvdrb\\work\\V01_0001.AVS"), p.driveC + "/DVDRB/Work/V01_0001.avs");
        EXPECT_EQ(windowsPath(p.media + "/film"), "D:\\film");
    }
    ScopedEnv prefix("WINEPREFIX", nullptr);
    ScopedEnv home("HOME", p.temp.path().c_str());
    EXPECT_EQ(PathMapper::defaultWinePrefix(), p.temp.path() + "/.wine");
}

TEST(WindowsPrograms, AnExeStartsThroughWineWithItsArgumentsInWindowsForm)
{
    TempFolder temp;
    ScopedEnv prefix("WINEPREFIX", temp.file("prefix").c_str());
    const std::string script = temp.write("test.avs", "");
    const std::string windowsScript = "Z:" + backslashed(script);
    struct Case {
        const char *program;
        const char *wine; // $WINE, or null
        std::string argument;
        ProgramStart start;
    };
    const Case cases[] = {
        {"/opt/mpc-hc/mpc-hc64.exe", nullptr, windowsScript, {"wine", {"/opt/mpc-hc/mpc-hc64.exe", windowsScript}}},
        {"C:\\Program Files\\CCE\\CCE.EXE", "/opt/wine-staging/bin/wine", windowsScript,
         {"/opt/wine-staging/bin/wine", {"C:\\Program Files\\CCE\\CCE.EXE", windowsScript}}},
        {"/usr/bin/mpv", nullptr, script, {"/usr/bin/mpv", {script}}},
        {"/opt/player.exe.sh", nullptr, script, {"/opt/player.exe.sh", {script}}},
    };
    for (const Case &c : cases) {
        ScopedEnv wine("WINE", c.wine);
        EXPECT_EQ(pathForProgram(c.program, script), c.argument) << c.program;
        const ProgramStart start = wineCommand(c.program, {pathForProgram(c.program, script)});
        EXPECT_EQ(start.program, c.start.program) << c.program;
        EXPECT_EQ(start.arguments, c.start.arguments) << c.program;
    }
    // a native program reads the host form of a name the project gave in Windows form
    EXPECT_EQ(pathForProgram("/usr/bin/mpv", windowsScript), script);
}

TEST(WindowsPrograms, AMissingWineIsNamedForWindowsProgramsOnly)
{
    TempFolder temp;
    fs::create_directory(temp.file("bin"));
    const std::string wine = temp.write("bin/wine", "#!/bin/sh\n");
    fs::permissions(wine, fs::perms::owner_all);
    const std::string notExecutable = temp.write("bin/notwine", "");
    const char *const originalPath = std::getenv("PATH");
    const std::string searchPath = std::string(originalPath ? originalPath : "");
    const std::string pathWithWine = "/nowhere:" + temp.file("bin");
    struct Case {
        const char *program;
        const char *wineVariable;
        const char *path;
        std::string note;
    };
    const Case cases[] = {
        {"/opt/player.exe", "/nowhere/wine", nullptr, "Wine is needed to run /opt/player.exe."},
        {"/opt/player.exe", notExecutable.c_str(), nullptr, "Wine is needed to run /opt/player.exe."},
        {"/opt/player.exe", wine.c_str(), nullptr, ""},
        {"/opt/player.exe", nullptr, "/nowhere", "Wine is needed to run /opt/player.exe."},
        {"/opt/player.exe", nullptr, pathWithWine.c_str(), ""}, // wine on PATH
        {"/usr/bin/mpv", "/nowhere/wine", "/nowhere", ""},
    };
    for (const Case &c : cases) {
        ScopedEnv variable("WINE", c.wineVariable);
        ScopedEnv path("PATH", c.path ? c.path : searchPath.c_str());
        EXPECT_EQ(wineMissingNote(c.program), c.note) << c.program << " WINE=" << (c.wineVariable ? c.wineVariable : "")
                                                      << " PATH=" << (c.path ? c.path : "");
    }
}

#else

TEST(PathMapper, OnWindowsPathsAndProgramsAreTakenAsTheyAre)
{
    EXPECT_EQ(hostPath("C:\\DVDRB\\v01.AVS"), "C:\\DVDRB\\v01.AVS");
    EXPECT_EQ(windowsPath("C:/DVDRB/V01.avs"), "C:/DVDRB/V01.avs");
    const ProgramStart start = wineCommand("C:\\CCE\\cce.exe", {"-ecl", "C:\\list.ecl"});
    EXPECT_EQ(start.program, "C:\\CCE\\cce.exe");
    EXPECT_EQ(start.arguments, (std::vector<std::string>{"-ecl", "C:\\list.ecl"}));
    EXPECT_EQ(wineMissingNote("C:\\CCE\\cce.exe"), "");
}

#endif
