#include "project/Project.h"
#include "support/FakeDesktop.h"
#include "support/ProjectFilesBuilder.h"

#include "common/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <random>

#ifdef __unix__
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// What the folder holds; a pipe or a folder is noted, never read (reading a pipe would wait).
std::map<std::string, std::string> snapshot(const std::string &folder)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        std::error_code error;
        files[entry.path().filename().string()] =
            entry.is_regular_file(error) ? readBytes(entry.path().string()) : std::string("<not a file>");
    }
    return files;
}

std::string withFolder(std::string text, const std::string &folder)
{
    for (std::size_t at = text.find("{}"); at != std::string::npos; at = text.find("{}", at + folder.size()))
        text.replace(at, 2, folder);
    return text;
}

#ifdef __unix__
struct LoadOutcome {
    bool loaded = false;
    std::string message;
};

// A file root may read: the load runs in a child process as the user "nobody". Nothing when
// this process cannot switch to that user.
std::optional<LoadOutcome> loadAsNobody(const std::string &inf)
{
    const passwd *nobody = ::getpwnam("nobody");
    int channel[2];
    if (!nobody || ::pipe(channel) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
            ::_exit(2);
        FakeDesktop desktop;
        Project project;
        const bool loaded = project.load(inf, desktop);
        const std::string report = (loaded ? "1" : "0") + desktop.lastMessage();
        ::_exit(::write(channel[1], report.data(), report.size()) == ssize_t(report.size()) ? 0 : 3);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, std::size_t(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || report.empty())
        return std::nullopt;
    return LoadOutcome{report[0] == '1', report.substr(1)};
}
#endif

std::string garbage(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char &c : bytes)
        c = char(random() & 0xff);
    return bytes;
}

// A well-formed three-cell project to damage.
ProjectFilesBuilder threeCells()
{
    ProjectFilesBuilder files;
    files.add(1, 1, 1, 1000, 4000);
    files.add(1, 1, 2, 2000, 3000);
    files.add(1, 2, 1, 1500, 5000);
    return files;
}

std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    const auto at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string cut(const std::string &text, const std::string &from, const std::string &to)
{
    const auto begin = text.find(from);
    const auto end = to.empty() ? text.size() : text.find(to, begin + 1);
    return text.substr(0, begin) + text.substr(end);
}

std::string inserted(std::string text, const std::string &before, const std::string &what)
{
    return text.insert(text.find(before), what);
}

std::string crOnly(std::string text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\n' && i > 0 && text[i - 1] == '\r'))
            out += text[i];
    }
    return out;
}

} // namespace

// Files other programs wrote, edited by hand, half-copied or from another preparation: each
// loads with defined values or is refused with a message that says which line is wrong (an INF
// and an ECL that do not describe the same project would be damaged by a save). Loading never
// writes anything, and a refused load leaves no trace of the project loaded before.
TEST(BadInput, LoadsWithDefinedValuesOrRefusesClearly)
{
    const ProjectFilesBuilder good = threeCells();
    const std::string inf = good.infText();
    const std::string ecl = good.eclText();
    const std::string longLine = "Comment=" + std::string(10 * 1024 * 1024, 'x');

    struct Case {
        const char *name;
        std::optional<std::string> inf; // nothing: the file is missing
        std::optional<std::string> ecl;
        std::string message;                        // empty: the load succeeds; "{}" is the folder and a separator
        std::function<void(const Project &)> check; // on a successful load
        // Makes a file that is not one; `nobody`: loads as another user than root.
        std::function<bool(const TempFolder &)> prepare = nullptr;
        bool asNobody = false;
    };
    ProjectFilesBuilder withKeys = threeCells();
    for (CellEntry &cell : withKeys.cells)
        cell.itemLines = {"video_type=16", "vbr_pass=2", "passes=2"};
    const std::string fullList = withKeys.eclText();
    const Case cases[] = {
        {"no INF", std::nullopt, ecl, "Error loading Rebuilder.INF\n{}Rebuilder.INF: No such file or directory", nullptr},
        {"no ECL", inf, std::nullopt, "Error loading Rebuilder.ECL\n{}Rebuilder.ECL: No such file or directory", nullptr},
        {"a folder for the ECL", inf, std::nullopt, "Error loading Rebuilder.ECL\n{}Rebuilder.ECL: Is a directory", nullptr,
         [](const TempFolder &f) { return std::filesystem::create_directory(toFsPath(f.file("Rebuilder.ECL"))); }},
#ifdef __unix__
        {"a pipe for the INF", std::nullopt, ecl,
         "Error loading Rebuilder.INF\n{}Rebuilder.INF: not a regular file (a pipe, a device or a socket)", nullptr,
         [](const TempFolder &f) { return ::mkfifo(f.file("Rebuilder.INF").c_str(), 0644) == 0; }},
        {"a device for the ECL", inf, std::nullopt,
         "Error loading Rebuilder.ECL\n{}Rebuilder.ECL: not a regular file (a pipe, a device or a socket)", nullptr,
         [](const TempFolder &f) { return ::symlink("/dev/zero", f.file("Rebuilder.ECL").c_str()) == 0; }},
        {"a loop of links for the ECL", inf, std::nullopt,
         "Error loading Rebuilder.ECL\n{}Rebuilder.ECL: Too many levels of symbolic links", nullptr,
         [](const TempFolder &f) {
             return ::symlink("Rebuilder.ECL.link", f.file("Rebuilder.ECL").c_str()) == 0
                 && ::symlink("Rebuilder.ECL", f.file("Rebuilder.ECL.link").c_str()) == 0;
         }},
        {"an ECL its user may not read", inf, ecl, "Error loading Rebuilder.ECL\n{}Rebuilder.ECL: Permission denied",
         nullptr,
         [](const TempFolder &f) {
             return ::chmod(f.path().c_str(), 0755) == 0 && ::chmod(f.file("Rebuilder.ECL").c_str(), 0) == 0;
         },
         true},
#endif
        {"a list cut off inside its last item", inf, fullList.substr(0, fullList.rfind("video_type=")),
         "Error loading Rebuilder.ECL\nThe list ends in the item for VTS 1, Vob-ID 2, cell 1, which lacks vbr_pass=, "
         "video_type= that every other item has: the file looks cut short.",
         nullptr},
        {"empty files", "", "", "Error loading Rebuilder.INF\nThe file describes no video cells.", nullptr},
        {"binary garbage", garbage(65536, 1), garbage(65536, 2),
         "Error loading Rebuilder.INF\nThe file describes no video cells.", nullptr},
        {"garbage list", inf, garbage(65536, 3), "Error loading Rebuilder.ECL\nThe list ends without items for VTS 1, Vob-ID 1.",
         nullptr},
        {"CR-only line ends", crOnly(inf), crOnly(ecl), "Error loading Rebuilder.INF\nThe file describes no video cells.",
         nullptr},
        {"a 10 MB line in each file", longLine + "\r\n" + inf, ecl + longLine + "\r\n", "",
         [](const Project &p) { EXPECT_EQ(p.lastSegmentIndex(), 1); }},
        {"headers of 16 and 18 characters", "[V01000100001001\r\n[V0100010000100100\r\n" + inf, ecl, "",
         [](const Project &p) { EXPECT_EQ(p.segment(0).cellCount(), 2); }},
        {"non-numeric frame count", replaced(inf, "Frames=1000", "Frames=many"), ecl, "",
         [](const Project &p) {
             EXPECT_EQ(p.segment(0).cells[0].frames, 0);
             EXPECT_FALSE(p.segment(0).cells[0].significant);
         }},
        {"non-numeric reduction and sizes", replaced(replaced(inf, "Reduction=50.0", "Reduction=half"),
                                                     "Original_Size=1000000", "Original_Size=big"),
         ecl, "",
         [](const Project &p) {
             EXPECT_EQ(p.segment(0).cells[0].loadedReduction, 0.0f);
             EXPECT_EQ(p.sourceSize, 0);
         }},
        {"non-numeric bitrate", inf, replaced(ecl, "vbr_brate_avg=4000", "vbr_brate_avg=fast"), "",
         [](const Project &p) { EXPECT_EQ(p.segment(0).cells[0].loadedBitrate, 0); }},
        {"non-numeric frame rate", replaced(inf, "Frame_Rate_Code=3", "Frame_Rate_Code=PAL"), ecl,
         "Error loading Rebuilder.INF\nLine 8: frame rate code 0 is not one of 1 to 5.", nullptr},
        {"negative frame count", replaced(inf, "Frames=2000", "Frames=-2000"), ecl,
         "Error loading Rebuilder.INF\nLine 13: the frame count -2000 is not possible.", nullptr},
        {"huge frame count", replaced(inf, "Frames=2000", "Frames=99999999999"), ecl,
         "Error loading Rebuilder.INF\nLine 13: the frame count 2147483647 is not possible.", nullptr},
        {"huge reduction", replaced(inf, "Reduction=50.0", "Reduction=1e40"), ecl,
         "Error loading Rebuilder.INF\nLine 10: the reduction is not a percentage.", nullptr},
        {"negative bitrate", inf, replaced(ecl, "vbr_brate_avg=3000", "vbr_brate_avg=-3000"),
         "Error loading Rebuilder.ECL\nLine 10: the bitrate -3000 is not possible.", nullptr},
        {"huge bitrate", inf, replaced(ecl, "vbr_brate_avg=3000", "vbr_brate_avg=99999999999"),
         "Error loading Rebuilder.ECL\nLine 10: the bitrate 2147483647 is not possible.", nullptr},
        {"unknown frame rate", replaced(inf, "Frame_Rate_Code=3\r\nFrames=2000", "Frame_Rate_Code=7\r\nFrames=2000"),
         ecl, "Error loading Rebuilder.INF\nLine 12: frame rate code 7 is not one of 1 to 5.", nullptr},
        {"section without its reduction", cut(inf, "Reduction=50.0\r\n[V0100010000200", "[V0100010000200"), ecl,
         "Error loading Rebuilder.INF\nLine 11: the section [V01000100001002] has no Reduction= line.", nullptr},
        {"truncated section", inf.substr(0, inf.rfind("Frames")), ecl,
         "Error loading Rebuilder.INF\nLine 15: the section [V01000100002001] has no Frames line.", nullptr},
        {"an item fewer than the run's cells", inf, cut(ecl, "[item]\r\ntitle=V01000100001002", "[item]"),
         "Error loading Rebuilder.ECL\nLine 8: Rebuilder.INF has 2 cells for VTS 1, Vob-ID 1, the list 1 items.",
         nullptr},
        {"an item more in a run", inf,
         inserted(ecl, "[item]\r\ntitle=V01000100002001", "[item]\r\ntitle=V01000100001003\r\n"),
         "Error loading Rebuilder.ECL\nLine 12: the item for VTS 1, Vob-ID 1, cell 3 has no cell in Rebuilder.INF.",
         nullptr},
        {"a Vob-ID more than the INF", inf, ecl + "[item]\r\ntitle=V01000100009001\r\n",
         "Error loading Rebuilder.ECL\nLine 16: the item for VTS 1, Vob-ID 9, cell 1 has no Vob-ID in Rebuilder.INF.",
         nullptr},
        {"a title that is not its cell", inf, replaced(ecl, "title=V01000100001002", "title=V01000100001009"),
         "Error loading Rebuilder.ECL\nLine 8: the item for VTS 1, Vob-ID 1, cell 9 stands where Rebuilder.INF has "
         "VTS 1, Vob-ID 1, cell 2.",
         nullptr},
        {"a list with an extra item", inf, ecl + "[item]\r\ntitle=V01000100002002\r\n",
         "Error loading Rebuilder.ECL\nLine 16: the item for VTS 1, Vob-ID 2, cell 2 has no cell in Rebuilder.INF.",
         nullptr},
        {"a list with a missing item", inf, ecl.substr(0, ecl.find("[item]\r\ntitle=V01000100002001")),
         "Error loading Rebuilder.ECL\nThe list ends without items for VTS 1, Vob-ID 2.", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        if (c.inf)
            folder.write("Rebuilder.INF", *c.inf);
        if (c.ecl)
            folder.write("Rebuilder.ECL", *c.ecl);
        if (c.prepare) {
            ASSERT_TRUE(c.prepare(folder));
        }
        const auto before = snapshot(folder.path());
        FakeDesktop desktop;
        Project project;
        TempFolder previousFolder;
        ASSERT_TRUE(project.load(threeCells().writeTo(previousFolder), desktop));
#ifdef __unix__
        if (c.asNobody && ::geteuid() == 0) {
            const std::optional<LoadOutcome> outcome = loadAsNobody(folder.file("Rebuilder.INF"));
            if (!outcome)
                continue; // no other user to be here
            EXPECT_FALSE(outcome->loaded);
            EXPECT_EQ(outcome->message, withFolder(c.message, folder.file("")));
            continue;
        }
#endif
        const bool loaded = project.load(folder.file("Rebuilder.INF"), desktop);
        EXPECT_EQ(snapshot(folder.path()), before);
        if (c.message.empty()) {
            ASSERT_TRUE(loaded) << desktop.lastMessage();
            EXPECT_TRUE(desktop.messages.empty());
            if (c.check)
                c.check(project);
        } else {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(project.lastSegmentIndex(), -1);
            EXPECT_EQ(project.currentTotalSize(), 0);
            EXPECT_EQ(desktop.lastMessage(), withFolder(c.message, folder.file("")));
        }
    }
}

TEST(BadInput, ARunSplitInTwoIsTwoSegmentsInBothFiles)
{
    ProjectFilesBuilder files;
    files.add(1, 1, 1);
    files.add(1, 2, 1);
    files.add(1, 1, 2);
    TempFolder folder;
    FakeDesktop desktop;
    Project project;
    ASSERT_TRUE(project.load(files.writeTo(folder), desktop));
    ASSERT_EQ(project.lastSegmentIndex(), 2);
    EXPECT_EQ(project.segment(2).cells[0].cellId, 2);

    // The list in the order of one joined run does not describe this project.
    folder.write("Rebuilder.ECL", replaced(replaced(files.eclText(), "title=V01000100002001", "title=V01000100001002#"),
                                           "title=V01000100001002\r", "title=V01000100002001\r"));
    folder.write("Rebuilder.ECL", replaced(readBytes(folder.file("Rebuilder.ECL")), "#", ""));
    EXPECT_FALSE(project.load(folder.file("Rebuilder.INF"), desktop));
    EXPECT_EQ(desktop.lastMessage().substr(0, 28), "Error loading Rebuilder.ECL\n");
}

TEST(BadInput, LongLinesSurviveASaveWhole)
{
    ProjectFilesBuilder files = threeCells();
    const std::string longLine = "Comment=" + std::string(3 * 1024 * 1024, 'y') + "end";
    files.infHead.push_back(longLine);
    files.cells[1].itemLines.push_back("passes_note=" + std::string(2000, 'z'));
    TempFolder folder;
    FakeDesktop desktop;
    Project project;
    ASSERT_TRUE(project.load(files.writeTo(folder), desktop));
    project.segment(0).cells[0].bitrate = 2000;
    ASSERT_TRUE(project.save(desktop, nullptr));
    EXPECT_NE(readBytes(folder.file("Rebuilder.INF")).find("\r\n" + longLine + "\r\n"), std::string::npos);
    EXPECT_NE(readBytes(folder.file("Rebuilder.ECL")).find("passes_note=" + std::string(2000, 'z') + "\r\n"),
              std::string::npos);
}
