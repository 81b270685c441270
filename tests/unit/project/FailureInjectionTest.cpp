#include "project/PairReplacement.h"
#include "project/Project.h"
#include "project/ProjectFiles.h"
#include "project/ProjectLock.h"
#include "support/FakeDesktop.h"
#include "support/ProjectFilesBuilder.h"
#include "support/ScratchMount.h"

#include "common/TextFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>

#ifdef __unix__
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using Files = std::map<std::string, std::string>;

const std::string notChanged = "Error saving: Rebuilder.INF and Rebuilder.ECL were not changed.\n";
const std::string restoreBak = "Error saving... please restore .bak files\n";
const char *const completed =
    "An interrupted save was found and completed: Rebuilder.INF and Rebuilder.ECL are the pair it wrote.";
const char *const rolledBack =
    "An interrupted save was found and rolled back: Rebuilder.INF and Rebuilder.ECL are the pair from before it.";
const char *const toRepair = "An interrupted save left Rebuilder.INF and Rebuilder.ECL to be repaired";

Files snapshot(const std::string &folder)
{
    Files files;
    for (const auto &entry : std::filesystem::directory_iterator(toFsPath(folder)))
        files[fromFsPath(entry.path().filename())] = readBytes(fromFsPath(entry.path()));
    return files;
}

void lay(const std::string &folder, const Files &files)
{
    for (const auto &[name, bytes] : files)
        ASSERT_TRUE(TempFolder::writeTo(fromFsPath(toFsPath(folder) / toFsPath(name)), bytes)) << name;
}

// The files a finished save leaves: the pair, its ".bak" copies and DVD-Rebuilder's originals.
// Anything else (a temporary, the marker, the lock) is a leftover.
std::vector<std::string> savedFolderNames()
{
    return {"Rebuilder.ECL", "Rebuilder.ECL.bak", "Rebuilder.ECL.original",
            "Rebuilder.INF", "Rebuilder.INF.bak", "Rebuilder.INF.original"};
}

std::vector<std::string> namesIn(const std::string &folder)
{
    std::vector<std::string> names;
    for (const auto &[name, bytes] : snapshot(folder))
        names.push_back(name);
    return names;
}

struct Pair {
    std::string inf;
    std::string ecl;
    bool operator==(const Pair &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Pair &pair)
{
    return out << "INF of " << pair.inf.size() << " bytes, ECL of " << pair.ecl.size() << " bytes";
}

Pair pairIn(const std::string &folder, const std::string &suffix = "")
{
    return {readBytes(folder + "/Rebuilder.INF" + suffix), readBytes(folder + "/Rebuilder.ECL" + suffix)};
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

// Three plans; B and C change the first and the last segment, so both files differ at both ends.
void planA(Project &project)
{
    project.segment(0).setAverageBitrate(2000);
}
void planB(Project &project)
{
    project.segment(0).setAverageBitrate(2600);
    project.segment(11).setAverageBitrate(2500);
}
void planC(Project &project)
{
    project.segment(0).setAverageBitrate(4000);
    project.segment(11).setAverageBitrate(1500);
}

// The states the tests move between: the folder after a first save (plan A), and the pairs a
// second save writes from there with plan B or plan C.
struct States {
    Files afterFirst;
    Pair first;
    Pair second; // plan B
    Pair third;  // plan C
};

Pair savedWith(const Files &start, void (*plan)(Project &), Files *folderAfter = nullptr)
{
    TempFolder folder;
    lay(folder.path(), start);
    FakeDesktop desktop;
    Project project;
    EXPECT_TRUE(project.load(folder.file("Rebuilder.INF"), desktop));
    plan(project);
    EXPECT_TRUE(project.save(desktop, nullptr));
    if (folderAfter)
        *folderAfter = snapshot(folder.path());
    return pairIn(folder.path());
}

const States &states()
{
    static const States all = [] {
        const ProjectFilesBuilder files = sizeableProject();
        States s;
        s.first = savedWith({{"Rebuilder.INF", files.infText()}, {"Rebuilder.ECL", files.eclText()}}, planA,
                            &s.afterFirst);
        s.second = savedWith(s.afterFirst, planB);
        s.third = savedWith(s.afterFirst, planC);
        return s;
    }();
    return all;
}

struct HookReset {
    ~HookReset() { setSaveStepHook(nullptr); }
};

// After whatever happened to a save: a load repairs what needs it and gives `expected` with
// `message`, and the next save leaves nothing but the project's files.
void expectLoadThenCleanSave(const std::string &folder, const Pair &expected, const char *message)
{
    FakeDesktop desktop;
    Project project;
    ASSERT_TRUE(project.load(folder + "/Rebuilder.INF", desktop)) << desktop.lastMessage();
    EXPECT_EQ(desktop.messageTexts(), message ? std::vector<std::string>{message} : std::vector<std::string>{});
    EXPECT_EQ(pairIn(folder), expected);
    ASSERT_TRUE(project.save(desktop, nullptr)) << desktop.lastMessage();
    EXPECT_EQ(namesIn(folder), savedFolderNames());
}

enum class Gives { Old, New };

// Every step of the save from the first state with plan B: what a failure there leaves, and
// what a process killed just before it leaves.
struct StepCase {
    SaveStep step;
    const char *failedFile;        // the file a failure names ("" when the save still succeeds)
    Gives afterFailure;
    const char *loadAfterFailure;  // what the next load says
    Gives afterKill;
    const char *loadAfterKill;
};
const StepCase stepCases[] = {
    {SaveStep::CopyOriginals, "Rebuilder.INF.original", Gives::Old, nullptr, Gives::Old, nullptr},
    {SaveStep::WriteInfBackup, "Rebuilder.INF.bak", Gives::Old, nullptr, Gives::Old, nullptr},
    {SaveStep::WriteEclBackup, "Rebuilder.ECL.bak", Gives::Old, nullptr, Gives::Old, nullptr},
    {SaveStep::WriteInf, "Rebuilder.INF", Gives::Old, nullptr, Gives::Old, nullptr},
    {SaveStep::WriteEcl, "Rebuilder.ECL", Gives::Old, nullptr, Gives::Old, nullptr},
    {SaveStep::CheckTargets, "Rebuilder.INF", Gives::Old, nullptr, Gives::Old, nullptr},
    {SaveStep::WriteMarker, "Rebuilder.INF.tavro-saving", Gives::Old, nullptr, Gives::Old, nullptr},
    {SaveStep::ReplaceInfBackup, "Rebuilder.INF.bak", Gives::Old, nullptr, Gives::Old, rolledBack},
    {SaveStep::ReplaceEclBackup, "Rebuilder.ECL.bak", Gives::Old, nullptr, Gives::Old, rolledBack},
    {SaveStep::ReplaceInf, "Rebuilder.INF", Gives::Old, nullptr, Gives::Old, rolledBack},
    // A failure here puts the new INF back from its copy; a kill leaves a whole ECL to rename.
    {SaveStep::ReplaceEcl, "Rebuilder.ECL", Gives::Old, nullptr, Gives::New, completed},
    {SaveStep::RemoveMarker, "", Gives::New, completed, Gives::New, completed},
    {SaveStep::Finished, "", Gives::New, nullptr, Gives::New, nullptr},
};

const Pair &pairOf(Gives gives)
{
    return gives == Gives::Old ? states().first : states().second;
}

// The pair as the first save left it, laid in `folder`, loaded and planned again with `plan`:
// what a second save writes.
template <typename Folder> // a TempFolder or a ScratchMount
::testing::AssertionResult replanned(const Folder &folder, Project &project, FakeDesktop &desktop,
                                     void (*plan)(Project &) = planB)
{
    lay(folder.path(), states().afterFirst);
    if (!project.load(folder.file("Rebuilder.INF"), desktop))
        return ::testing::AssertionFailure() << "the first save's pair does not load from " << folder.path();
    plan(project);
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(SaveFailures, AFailureAtAnyStepLeavesTheOldPairOrTheNewOneAndSaysWhich)
{
    const States &s = states();
    for (const StepCase &c : stepCases) {
        SCOPED_TRACE(int(c.step));
        TempFolder folder;
        FakeDesktop desktop;
        Project project;
        ASSERT_TRUE(replanned(folder, project, desktop));
        {
            HookReset reset;
            setSaveStepHook([&](SaveStep step) { return step != c.step; });
            EXPECT_EQ(project.save(desktop, nullptr), c.afterFailure == Gives::New);
        }
        if (*c.failedFile) {
            EXPECT_EQ(desktop.messageTexts(),
                      std::vector<std::string>{notChanged + folder.file(c.failedFile) + ": " + systemErrorText(EIO)});
        } else {
            EXPECT_TRUE(desktop.messages.empty());
        }
        EXPECT_EQ(pairIn(folder.path()), pairOf(c.afterFailure));
        if (c.afterFailure == Gives::New) {
            EXPECT_EQ(pairIn(folder.path(), ".bak"), s.first);
        }
        expectLoadThenCleanSave(folder.path(), pairOf(c.afterFailure), c.loadAfterFailure);
    }
}

// The one case where the ".bak" copies are the advice: the ECL could not be replaced and the INF
// could not be put back. The next load then completes the save.
TEST(SaveFailures, AnInfThatCannotBePutBackIsLeftForTheNextLoad)
{
    const States &s = states();
    TempFolder folder;
    FakeDesktop desktop;
    Project project;
    ASSERT_TRUE(replanned(folder, project, desktop));
    {
        HookReset reset;
        setSaveStepHook([](SaveStep step) { return step != SaveStep::ReplaceEcl && step != SaveStep::RollBack; });
        EXPECT_FALSE(project.save(desktop, nullptr));
    }
    EXPECT_EQ(desktop.messageTexts(),
              std::vector<std::string>{restoreBak + folder.file("Rebuilder.ECL") + ": " + systemErrorText(EIO)});
    EXPECT_EQ(pairIn(folder.path(), ".bak"), s.first);

    // A look (tavro-cli show) reports it and writes nothing; a load repairs it.
    const Files left = snapshot(folder.path());
    FakeDesktop looking;
    Project shown;
    EXPECT_FALSE(shown.load(folder.file("Rebuilder.INF"), looking, Project::InterruptedSaves::Report));
    EXPECT_EQ(looking.lastMessage().rfind(toRepair, 0), 0u) << looking.lastMessage();
    EXPECT_EQ(snapshot(folder.path()), left);
    expectLoadThenCleanSave(folder.path(), s.second, completed);
}

#ifdef __unix__
// The same steps with the saving process killed just before each: the next load finds the old
// pair, or completes or rolls back the save and says so; a look only reports it. The next save
// removes what the killed one left.
TEST(SaveFailures, AProcessKilledAtAnyStepLeavesAPairTheNextLoadSettles)
{
    const States &s = states();
    for (const StepCase &c : stepCases) {
        SCOPED_TRACE(int(c.step));
        TempFolder folder;
        lay(folder.path(), s.afterFirst);
        const std::string inf = folder.file("Rebuilder.INF");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            FakeDesktop desktop;
            Project project;
            if (!project.load(inf, desktop))
                ::_exit(3);
            planB(project);
            setSaveStepHook([&](SaveStep step) {
                if (step == c.step)
                    ::kill(::getpid(), SIGKILL);
                return true;
            });
            ::_exit(project.save(desktop, nullptr) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;

        const Files left = snapshot(folder.path());
        FakeDesktop looking;
        Project shown;
        const bool shows = shown.load(inf, looking, Project::InterruptedSaves::Report);
        EXPECT_EQ(shows, c.loadAfterKill == nullptr);
        if (!shows) {
            EXPECT_EQ(looking.lastMessage().rfind(toRepair, 0), 0u) << looking.lastMessage();
        }
        EXPECT_EQ(snapshot(folder.path()), left);

        FakeDesktop desktop;
        Project project;
        ASSERT_TRUE(project.load(inf, desktop)) << desktop.lastMessage();
        EXPECT_EQ(desktop.messageTexts(),
                  c.loadAfterKill ? std::vector<std::string>{c.loadAfterKill} : std::vector<std::string>{});
        EXPECT_EQ(pairIn(folder.path()), pairOf(c.afterKill));
        // Whatever was settled, the two ".bak" copies are a pair: the one before the first save,
        // or the first save's.
        const Pair backup = pairIn(folder.path(), ".bak");
        const Pair beforeFirst{s.afterFirst.at("Rebuilder.INF.bak"), s.afterFirst.at("Rebuilder.ECL.bak")};
        EXPECT_TRUE(backup == s.first || (backup == beforeFirst && c.afterKill == Gives::Old)) << backup;
        expectLoadThenCleanSave(folder.path(), pairOf(c.afterKill), nullptr);
    }
}
#endif

// The disk fills up somewhere during the save, at each of the copies and temporaries in turn:
// neither file changes, the message names the file and the reason, and nothing is left behind.
TEST(SaveFailures, ADiskThatFillsChangesNeitherFile)
{
    if (!ScratchMount::available())
        GTEST_SKIP() << "mounting a small file system needs root; the file-size limit test covers this";
    const States &s = states();
    long long bytes = 0;
    for (const auto &[name, content] : s.afterFirst)
        bytes += (long long)content.size();
    const long long page = 4096;
    const long long startPages = 2 + bytes / page;
    int failures = 0;
    bool succeeded = false;
    for (long long pages = startPages; pages < startPages + 64 && !succeeded; ++pages) {
        SCOPED_TRACE(pages);
        ScratchMount disk(pages * page);
        ASSERT_TRUE(disk.mounted());
        bool fits = true;
        for (const auto &[name, content] : s.afterFirst)
            fits = fits && TempFolder::writeTo(disk.file(name), content);
        if (!fits)
            continue;
        FakeDesktop desktop;
        Project project;
        ASSERT_TRUE(project.load(disk.file("Rebuilder.INF"), desktop));
        planB(project);
        succeeded = project.save(desktop, nullptr);
        if (succeeded) {
            EXPECT_EQ(pairIn(disk.path()), s.second);
            continue;
        }
        ++failures;
        ASSERT_EQ(desktop.messages.size(), 1u);
        const std::string &message = desktop.messages[0].text;
        EXPECT_EQ(message.rfind(notChanged + disk.path() + "/Rebuilder.", 0), 0u) << message;
        EXPECT_NE(message.find(": No space left on device"), std::string::npos) << message;
        EXPECT_EQ(snapshot(disk.path()), s.afterFirst);
    }
    EXPECT_TRUE(succeeded);
    EXPECT_GE(failures, 4); // the disk filled at several different steps before the save fitted
}

#ifdef __unix__
// The same with a limit on the size of any one file, which needs no special rights.
TEST(SaveFailures, AFileSizeLimitChangesNeitherFile)
{
    const States &s = states();
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const long long limits[] = {512, 2048, (long long)s.first.inf.size() + 1000, 16384,
                                (long long)s.first.ecl.size() - 1};
    for (long long limit : limits) {
        SCOPED_TRACE(limit);
        TempFolder folder;
        FakeDesktop desktop;
        Project project;
        ASSERT_TRUE(replanned(folder, project, desktop));
        rlimit limited = saved;
        limited.rlim_cur = rlim_t(limit);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const bool ok = project.save(desktop, nullptr);
        setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_FALSE(ok);
        ASSERT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(desktop.messages[0].text.rfind(notChanged, 0), 0u);
        EXPECT_NE(desktop.messages[0].text.find(": File too large"), std::string::npos) << desktop.messages[0].text;
        EXPECT_EQ(snapshot(folder.path()), s.afterFirst);
    }
    std::signal(SIGXFSZ, previousHandler);
}
#endif

TEST(SaveFailures, AReadOnlyFolderFileOrCopyChangesNeitherFile)
{
    if (!ScratchMount::available())
        GTEST_SKIP() << "read-only mounts need root";
    struct Case {
        const char *name;
        std::function<bool(ScratchMount &)> protect;
        const char *file; // the file the message names
    };
    const Case cases[] = {
        {"read-only project folder", [](ScratchMount &disk) { return disk.makeReadOnly(); }, "Rebuilder.INF.tavro-lock"},
        {"read-only INF", [](ScratchMount &disk) { return disk.protectFile(disk.file("Rebuilder.INF")); },
         "Rebuilder.INF"},
        {"read-only ECL", [](ScratchMount &disk) { return disk.protectFile(disk.file("Rebuilder.ECL")); },
         "Rebuilder.ECL"},
        {"a .bak that cannot be written", [](ScratchMount &disk) { return disk.protectFile(disk.file("Rebuilder.ECL.bak")); },
         "Rebuilder.ECL.bak"},
    };
    const States &s = states();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScratchMount disk(4 << 20);
        ASSERT_TRUE(disk.mounted());
        FakeDesktop desktop;
        Project project;
        ASSERT_TRUE(replanned(disk, project, desktop));
        ASSERT_TRUE(c.protect(disk));
        EXPECT_FALSE(project.save(desktop, nullptr));
        EXPECT_EQ(desktop.messageTexts(),
                  std::vector<std::string>{notChanged + disk.file(c.file) + ": Read-only file system"});
        EXPECT_EQ(snapshot(disk.path()), s.afterFirst);
        Project reloaded;
        EXPECT_TRUE(reloaded.load(disk.file("Rebuilder.INF"), desktop));
    }
}

TEST(SaveFailures, WhileAnotherHoldsTheLockASaveChangesNothingAndALoadWaits)
{
    const States &s = states();
    TempFolder folder;
    const std::string inf = folder.file("Rebuilder.INF");
    FakeDesktop desktop;
    Project project;
    ASSERT_TRUE(replanned(folder, project, desktop));

    ProjectLock other;
    FileError error;
    ASSERT_TRUE(other.acquire(inf, error)) << error.text();
    const std::string holder = ProjectLock::thisProcess();
    EXPECT_FALSE(project.save(desktop, nullptr));
    EXPECT_EQ(desktop.messageTexts(),
              std::vector<std::string>{notChanged + inf + ": another save is in progress (" + holder + ")"});
    FakeDesktop looking;
    Project shown;
    EXPECT_FALSE(shown.load(inf, looking));
    EXPECT_EQ(looking.lastMessage(), "A save of Rebuilder.INF and Rebuilder.ECL is in progress (" + holder
                                         + "): load the project when it has finished.");
    EXPECT_EQ(shown.lastSegmentIndex(), -1);
    other.release();

    EXPECT_EQ(snapshot(folder.path()), s.afterFirst);
    EXPECT_TRUE(project.save(desktop, nullptr));
    EXPECT_EQ(pairIn(folder.path()), s.second);
    EXPECT_EQ(namesIn(folder.path()), savedFolderNames());
}

#ifdef __unix__
namespace {

pid_t spawn(const std::function<int()> &body)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body());
    return child;
}

int exitCodeOf(pid_t child)
{
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// This test program as a lock names another of its processes.
std::string processName(pid_t pid)
{
    const std::string self = ProjectLock::thisProcess();
    return self.substr(0, self.rfind(' ') + 1) + std::to_string(pid);
}

} // namespace

// A second process saves (and loads) while the first holds each step of its save: it is
// refused with the first one's name, and the first save ends with its pair and the copies of
// the state before it.
TEST(ConcurrentSaves, ASecondSaveIsRefusedAtEveryStepOfTheFirst)
{
    const States &s = states();
    for (int step = 0; step < saveStepCount; ++step) {
        if (SaveStep(step) == SaveStep::RollBack)
            continue; // not a step of a save that succeeds
        SCOPED_TRACE(step);
        TempFolder folder;
        const std::string inf = folder.file("Rebuilder.INF");
        FakeDesktop desktop;
        Project second;
        ASSERT_TRUE(replanned(folder, second, desktop, planC));

        int paused[2];
        int resume[2];
        ASSERT_EQ(::pipe(paused), 0);
        ASSERT_EQ(::pipe(resume), 0);
        const pid_t first = spawn([&] {
            FakeDesktop quiet;
            Project project;
            if (!project.load(inf, quiet))
                return 3;
            planB(project);
            setSaveStepHook([&](SaveStep at) {
                char byte = 1;
                if (int(at) == step && (::write(paused[1], &byte, 1) != 1 || ::read(resume[0], &byte, 1) != 1))
                    ::_exit(4);
                return true;
            });
            return project.save(quiet, nullptr) ? 0 : 1;
        });
        char byte = 0;
        ASSERT_EQ(::read(paused[0], &byte, 1), 1);

        EXPECT_FALSE(second.save(desktop, nullptr));
        EXPECT_EQ(desktop.lastMessage(), notChanged + inf + ": another save is in progress (" + processName(first) + ")");
        FakeDesktop looking;
        Project shown;
        EXPECT_FALSE(shown.load(inf, looking));
        EXPECT_NE(looking.lastMessage().find("in progress (" + processName(first) + ")"), std::string::npos);

        ASSERT_EQ(::write(resume[1], &byte, 1), 1);
        EXPECT_EQ(exitCodeOf(first), 0);
        for (int fd : {paused[0], paused[1], resume[0], resume[1]})
            ::close(fd);
        EXPECT_EQ(pairIn(folder.path()), s.second);
        EXPECT_EQ(pairIn(folder.path(), ".bak"), s.first);
        EXPECT_EQ(namesIn(folder.path()), savedFolderNames());
    }
}

// Two processes load the same project and save at the same moment, again and again: the files
// are always the pair of one save, and its copies hold the state before it. The other save
// was refused, naming the first, or came after it and saved over it whole.
TEST(ConcurrentSaves, TwoSavesAtOnceLeaveThePairOfOneOfThem)
{
    const States &s = states();
    int refused = 0;
    for (int run = 0; run < 12; ++run) {
        SCOPED_TRACE(run);
        TempFolder folder;
        TempFolder reports;
        lay(folder.path(), s.afterFirst);
        const std::string inf = folder.file("Rebuilder.INF");
        int start[2];
        ASSERT_EQ(::pipe(start), 0);
        auto saver = [&](void (*plan)(Project &), const std::string &report) {
            return [&, plan, report] {
                FakeDesktop desktop;
                Project project;
                if (!project.load(inf, desktop))
                    return 3;
                plan(project);
                ::close(start[1]);
                char byte = 0;
                if (::read(start[0], &byte, 1) != 0)
                    return 4;
                const bool saved = project.save(desktop, nullptr);
                TempFolder::writeTo(report, desktop.lastMessage());
                return saved ? 0 : 1;
            };
        };
        const pid_t b = spawn(saver(planB, reports.file("b")));
        const pid_t c = spawn(saver(planC, reports.file("c")));
        ::close(start[0]);
        ::close(start[1]); // both start now
        const bool bSaved = exitCodeOf(b) == 0;
        const bool cSaved = exitCodeOf(c) == 0;
        ASSERT_TRUE(bSaved || cSaved);
        const Pair now = pairIn(folder.path());
        const Pair backup = pairIn(folder.path(), ".bak");
        if (bSaved && cSaved) {
            EXPECT_TRUE((now == s.second && backup == s.third) || (now == s.third && backup == s.second));
        } else {
            ++refused;
            EXPECT_EQ(now, bSaved ? s.second : s.third);
            EXPECT_EQ(backup, s.first);
            EXPECT_EQ(readBytes(reports.file(bSaved ? "c" : "b")),
                      notChanged + inf + ": another save is in progress (" + processName(bSaved ? b : c) + ")");
        }
        EXPECT_EQ(namesIn(folder.path()), savedFolderNames());
    }
    RecordProperty("refused", refused);
}
#endif

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
    EXPECT_EQ(desktop.lastMessage(), "Problems restoring original Rebuilder.inf.\n" + disk.file("Rebuilder.INF.tavro-lock")
                                         + ": Read-only file system");
    EXPECT_FALSE(desktop.exitStatus);
    EXPECT_EQ(readBytes(disk.file("Rebuilder.INF")), files.infText());
}
