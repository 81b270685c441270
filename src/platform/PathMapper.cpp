#include "platform/PathMapper.h"

#include "common/TextFile.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// Windows compares names without regard to case; only ASCII letters are folded here, which
// covers what DVD-Rebuilder writes (upper-case folder and script names).
bool equalsIgnoringAsciiCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

struct DrivePath {
    char letter;      // lower case
    std::string rest; // after "X:", separators included
};

// "C:\..." or "c:/..." or "C:" alone. A drive-relative "C:name" is not taken: it names a
// folder that only the program that wrote it knew.
std::optional<DrivePath> splitDrive(const std::string &path)
{
    if (path.size() < 2 || path[1] != ':')
        return std::nullopt;
    const char letter = asciiLower(path[0]);
    if (letter < 'a' || letter > 'z')
        return std::nullopt;
    if (path.size() > 2 && path[2] != '\\' && path[2] != '/')
        return std::nullopt;
    return DrivePath{letter, path.substr(2)};
}

bool isUncPath(const std::string &path)
{
    return path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
}

// The components of the part of a Windows path after the drive, with "." dropped and ".."
// taken back lexically, as Windows does.
std::vector<std::string> windowsComponents(const std::string &rest)
{
    std::vector<std::string> components;
    std::string current;
    auto finish = [&] {
        if (current == "..") {
            if (!components.empty())
                components.pop_back();
        } else if (!current.empty() && current != ".") {
            components.push_back(current);
        }
        current.clear();
    };
    for (char c : rest) {
        if (c == '\\' || c == '/')
            finish();
        else
            current += c;
    }
    finish();
    return components;
}

// The non-empty components of a host path ("/" counts as the first).
std::vector<std::string> hostComponents(const fs::path &path)
{
    std::vector<std::string> components;
    for (const fs::path &part : path) {
        if (!part.empty())
            components.push_back(fromFsPath(part));
    }
    return components;
}

// Where drive `letter` is on the host: the target of its dosdevices link (relative targets
// count from dosdevices/, as Wine makes them), or "/" for Z: when the prefix has no such entry.
std::optional<fs::path> driveRoot(const fs::path &dosdevices, char letter)
{
    const fs::path link = dosdevices / std::string{letter, ':'};
    std::error_code error;
    const fs::file_status status = fs::symlink_status(link, error);
    if (fs::is_symlink(status)) {
        fs::path target = fs::read_symlink(link, error);
        if (error)
            return std::nullopt;
        if (target.is_relative())
            target = dosdevices / target;
        return target.lexically_normal();
    }
    if (fs::is_directory(status))
        return link;
    if (letter == 'z' && status.type() == fs::file_type::not_found)
        return fs::path("/");
    return std::nullopt;
}

// Follows `components` down from `folder`, taking for each the name on disk that differs only
// in letter case when the exact one does not exist. From the first component with no match on,
// the rest is appended as written (a file about to be created, or one that is really missing).
fs::path followIgnoringCase(fs::path folder, const std::vector<std::string> &components)
{
    for (std::size_t i = 0; i < components.size(); ++i) {
        std::error_code error;
        const fs::path exact = folder / toFsPath(components[i]);
        if (fs::symlink_status(exact, error).type() != fs::file_type::not_found) {
            folder = exact;
            continue;
        }
        // Several names may differ from the wanted one only in case; the first in byte order
        // is taken, so the choice does not depend on the order the folder lists them in.
        std::optional<std::string> found;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            const std::string name = fromFsPath(it->path().filename());
            if (equalsIgnoringAsciiCase(name, components[i]) && (!found || name < *found))
                found = name;
        }
        if (!found) {
            for (std::size_t j = i; j < components.size(); ++j)
                folder /= toFsPath(components[j]);
            break;
        }
        folder /= toFsPath(*found);
    }
    return folder;
}

bool isExecutableFile(const fs::path &path)
{
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    const fs::perms anyExec = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    return !error && fs::is_regular_file(status) && (status.permissions() & anyExec) != fs::perms::none;
}

} // namespace

PathMapper::PathMapper(std::string winePrefix) : m_prefix(std::move(winePrefix)) {}

std::string PathMapper::defaultWinePrefix()
{
    const char *prefix = std::getenv("WINEPREFIX");
    if (prefix && *prefix)
        return prefix;
    const char *home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.wine";
}

std::string PathMapper::hostPath(const std::string &path) const
{
    const std::optional<DrivePath> drive = splitDrive(path);
    if (!drive)
        return path;
    const std::optional<fs::path> root = driveRoot(toFsPath(m_prefix) / "dosdevices", drive->letter);
    if (!root)
        return path;
    return fromFsPath(followIgnoringCase(*root, windowsComponents(drive->rest)));
}

std::string PathMapper::windowsPath(const std::string &path) const
{
    if (path.empty() || splitDrive(path) || isUncPath(path))
        return path;
    std::error_code error;
    const fs::path absolute = fs::absolute(toFsPath(path), error);
    if (error)
        return path;
    // Compared with symbolic links resolved, so a prefix reached through a link still covers
    // the files under its drive_c.
    fs::path target = fs::weakly_canonical(absolute, error);
    if (error)
        target = absolute.lexically_normal();
    const std::vector<std::string> targetParts = hostComponents(target);

    const fs::path dosdevices = toFsPath(m_prefix) / "dosdevices";
    char bestLetter = 0;
    std::size_t bestDepth = 0;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const std::optional<fs::path> root = driveRoot(dosdevices, letter);
        if (!root)
            continue;
        fs::path canonicalRoot = fs::weakly_canonical(*root, error);
        if (error)
            canonicalRoot = *root;
        const std::vector<std::string> rootParts = hostComponents(canonicalRoot);
        const bool covers = !rootParts.empty() && rootParts.size() <= targetParts.size()
            && std::equal(rootParts.begin(), rootParts.end(), targetParts.begin());
        // deepest wins; of equally deep ones the first letter
        if (covers && rootParts.size() > bestDepth) {
            bestLetter = letter;
            bestDepth = rootParts.size();
        }
    }
    // Z: is the whole file system unless the prefix says otherwise; a path outside every
    // drive is still named on Z:, which is where Wine users expect it.
    if (!bestLetter) {
        bestLetter = 'z';
        bestDepth = 1;
    }

    std::string result{char(bestLetter - 'a' + 'A'), ':'};
    for (std::size_t i = bestDepth; i < targetParts.size(); ++i)
        result += "\\" + targetParts[i];
    if (bestDepth == targetParts.size())
        result += "\\";
    return result;
}

std::string hostPath(const std::string &path)
{
#ifdef _WIN32
    return path;
#else
    if (!splitDrive(path))
        return path; // the common case, without looking at the environment
    return PathMapper(PathMapper::defaultWinePrefix()).hostPath(path);
#endif
}

std::string windowsPath(const std::string &path)
{
#ifdef _WIN32
    return path;
#else
    return PathMapper(PathMapper::defaultWinePrefix()).windowsPath(path);
#endif
}

bool isWindowsProgram(const std::string &program)
{
    return program.size() >= 4 && equalsIgnoringAsciiCase(program.substr(program.size() - 4), ".exe");
}

bool runsUnderWine(const std::string &program)
{
#ifdef _WIN32
    (void)program;
    return false;
#else
    return isWindowsProgram(program);
#endif
}

std::string pathForProgram(const std::string &program, const std::string &path)
{
    return runsUnderWine(program) ? windowsPath(path) : hostPath(path);
}

ProgramStart wineCommand(const std::string &program, const std::vector<std::string> &arguments)
{
    if (!runsUnderWine(program))
        return {program, arguments};
    ProgramStart start{wineProgram(), {program}};
    start.arguments.insert(start.arguments.end(), arguments.begin(), arguments.end());
    return start;
}

std::string wineProgram()
{
    const char *wine = std::getenv("WINE");
    return wine && *wine ? wine : "wine";
}

bool wineIsAvailable()
{
    const std::string wine = wineProgram();
    if (wine.find('/') != std::string::npos)
        return isExecutableFile(toFsPath(wine));
    const char *searchPath = std::getenv("PATH");
    std::string folders = searchPath ? searchPath : "";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string folder = folders.substr(start, end - start);
        if (isExecutableFile(toFsPath(folder.empty() ? "." : folder) / toFsPath(wine)))
            return true;
        start = end + 1;
    }
    return false;
}

std::string wineMissingNote(const std::string &program)
{
    if (!runsUnderWine(program) || wineIsAvailable())
        return {};
    return "Wine is needed to run " + program + ".";
}
