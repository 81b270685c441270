#pragma once

#include <string>
#include <vector>

// Windows paths and Windows programs on a system that is not Windows.
//
// DVD-Rebuilder, CCE and most players are Windows programs. On Linux they run under Wine, and
// the project files they write name Windows paths ("C:\DVDRB\WORK\V01_0001.avs",
// "Z:\home\ana\dvd\..."). So:
//   - every file opened by a name that came from the project goes through hostPath();
//   - every path handed to a Windows program, or written into a file for one, goes through
//     pathForProgram() (windowsPath() when the program is known to be a Windows one);
//   - a Windows program is started through wineCommand().
// What the program writes back into the project (name= lines, scripts) keeps the project's
// own spelling. On Windows all of this is the identity.

// The mapping over one Wine prefix: the folder that holds dosdevices/, whose "c:", "d:", ...
// entries link each drive letter to a host folder ("c:" -> "../drive_c", "z:" -> "/").
class PathMapper {
public:
    explicit PathMapper(std::string winePrefix);

    // $WINEPREFIX, else ~/.wine: the prefix Wine itself would use.
    static std::string defaultWinePrefix();

    // "C:\DVDRB\Work\v01.AVS" -> "/home/ana/.wine/drive_c/DVDRB/WORK/V01.avs": the drive through
    // its link (Z: is / when the prefix has no link for it), then each component as it is on
    // disk when the exact name does not exist but one differing only in ASCII letter case does.
    // Host paths, relative paths, UNC paths and drives without a link come back unchanged.
    std::string hostPath(const std::string &path) const;

    // "/home/ana/dvd/test.avs" -> "Z:\home\ana\dvd\test.avs": the drive whose link covers the
    // path most closely (the deepest), else Z: and the absolute path; backslashes throughout.
    // A relative path is taken from the current folder; a Windows path comes back unchanged.
    std::string windowsPath(const std::string &path) const;

    const std::string &winePrefix() const { return m_prefix; }

private:
    std::string m_prefix;
};

// The mapping of this process, over defaultWinePrefix(); the identity on Windows.
std::string hostPath(const std::string &path);
std::string windowsPath(const std::string &path);

// A program path ending in ".exe" in any letter case.
bool isWindowsProgram(const std::string &program);
// A Windows program on a system that is not Windows: it starts through Wine.
bool runsUnderWine(const std::string &program);

// The form of `path` (host or Windows) that `program` understands: the Windows form for a
// program that runs under Wine, the host form for any other.
std::string pathForProgram(const std::string &program, const std::string &path);

struct ProgramStart {
    std::string program;
    std::vector<std::string> arguments;
};
// How to start `program` on `arguments`: through Wine ("wine" program arguments...) when it
// runs under Wine, else as given. The arguments are passed as they are; put the paths among
// them in the program's form with pathForProgram() first.
ProgramStart wineCommand(const std::string &program, const std::vector<std::string> &arguments);

// The Wine loader: $WINE when set (as Wine's own scripts take it), else "wine" from PATH.
std::string wineProgram();
// Whether wineProgram() names an executable file (directly or through PATH).
bool wineIsAvailable();
// The line to add to a start-failure message: "Wine is needed to run <program>." when the
// program runs under Wine and Wine cannot be found, else empty.
std::string wineMissingNote(const std::string &program);
