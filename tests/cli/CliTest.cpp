// tavro-cli run as a separate program on generated projects, compared with the main window's
// commands run in this process on the same files.

#include "app/MainWindow.h"
#include "planning/Labels.h"
#include "ProjectGenerator.h"
#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/ProjectFilesBuilder.h"
#include "support/TempFolder.h"

#include "common/Format.h"
#include "prediction/PredictionDialog.h"

#include "TavroVersion.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "project/PairReplacement.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <tuple>

using Json = nlohmann::json;

namespace {

struct CliRun {
    int status = -1;
    std::string out, err;
};

// Single quotes keep every byte as it is; a quote of its own closes them, is escaped and reopens.
std::string quoted(const std::string &arg)
{
    std::string result = "'";
    for (char c : arg)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

// `environment`: assignments put before the command ("XDG_CONFIG_HOME=...").
CliRun runCli(const std::vector<std::string> &args, const std::string &environment = "")
{
    TempFolder scratch;
    std::string command = environment + " " + quoted(TAVRO_CLI);
    for (const std::string &arg : args)
        command += " " + quoted(arg);
    const int status = std::system((command + " >" + quoted(scratch.file("out")) + " 2>" + quoted(scratch.file("err"))).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readBytes(scratch.file("out")), readBytes(scratch.file("err"))};
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line.empty() || line.back() != '\r' ? line : line.substr(0, line.size() - 1));
    return result;
}

Json jsonOf(const CliRun &run)
{
    EXPECT_EQ(run.status, 0) << run.err;
    return Json::parse(run.out);
}

// A generated demo project, and the main window of this process loaded on it.
struct Demo {
    explicit Demo(unsigned seed = 3)
    {
        std::string error;
        EXPECT_TRUE(generateProject(demoOptions(seed), folder.path() + "/project", &inf, &error)) << error;
        json = jsonOf(runCli({"show", inf, "--json"}));
    }
    TempFolder folder;
    std::string inf;
    Json json;

    const Json &segment(int index) const { return json["segments"][std::size_t(index)]; }
    // The first segment for which `pick` holds.
    int find(const std::function<bool(const Json &)> &pick) const
    {
        for (const Json &s : json["segments"])
            if (pick(s))
                return s["index"].get<int>();
        return -1;
    }
};

struct Window {
    explicit Window(const std::string &inf) : window(project, desktop, settings) { EXPECT_TRUE(window.loadFrom(inf)); }
    Project project;
    FakeDesktop desktop;
    AppSettings settings;
    MainWindow window;

    void untickAndType(int segment, unsigned kbps)
    {
        window.rowSelected(window.rowOf(segment));
        window.autosizedClicked(false);
        window.bitrateTyped(std::to_string(kbps));
    }
};

std::string seg(int index) { return "#" + std::to_string(index); }

bool isLarge(const Json &s)
{
    return s["listed"].get<bool>() && s["significantCells"].get<int>() > 0 && s["totalFrames"].get<int>() > 3050;
}
bool isLargeVbr(const Json &s) { return isLarge(s) && s["vbrMode"].get<bool>(); }
bool isLargeOpv(const Json &s) { return isLarge(s) && !s["vbrMode"].get<bool>(); }

// Flags and cell bitrates of every segment, and the target: all a plan changes.
std::vector<std::string> planOf(const Json &project)
{
    std::vector<std::string> plan = {project["targetTotalSize"].dump()};
    for (const Json &s : project["segments"]) {
        std::string text = s["label"].get<std::string>();
        for (const char *flag : {"autosized", "replanned", "vbrMode", "tweaked"})
            text += s[flag].get<bool>() ? " 1" : " 0";
        for (const Json &c : s["cells"])
            text += " " + c["bitrate"].dump() + (c["tweaked"].get<bool>() ? "t" : "");
        plan.push_back(text);
    }
    return plan;
}

std::vector<std::string> planOf(const Project &project)
{
    std::vector<std::string> plan = {std::to_string(project.targetTotalSize)};
    for (int i = 0; i <= project.lastSegmentIndex(); ++i) {
        const Segment &s = project.segment(i);
        std::string text = labels::segmentRow(project, i);
        for (bool flag : {s.autosized, s.replanned, s.vbrMode, s.tweaked})
            text += flag ? " 1" : " 0";
        for (const Cell &c : s.cells)
            text += " " + std::to_string(c.bitrate) + (c.tweaked ? "t" : "");
        plan.push_back(text);
    }
    return plan;
}

} // namespace

TEST(Cli, ShowPrintsTheMainWindowsFiguresAsTextAndAsExactJson)
{
    Demo demo;
    Window here(demo.inf);
    const Project &p = here.project;
    const CliRun text = runCli({"show", demo.inf});
    const std::vector<std::string> out = lines(text.out);
    ASSERT_EQ(out.size(), 1 + p.segments.size() + 2); // header, rows, total, status
    EXPECT_NE(out[1].find(labels::segmentRow(p, 0)), std::string::npos) << out[1];
    EXPECT_EQ(out[out.size() - 2], "Total Video Size %: 100");
    EXPECT_EQ(out.back(), here.window.control(MainWindow::StatusEdit).text);

    const Json &j = demo.json;
    EXPECT_EQ(j["infPath"], demo.inf);
    // Reals carry 17 significant digits (a reduction of 87.8 read as a 32-bit float is
    // 87.800003051757812), whole ones a ".0".
    const std::string raw = runCli({"show", demo.inf, "--json"}).out;
    const float reduction = p.segment(0).cells[0].loadedReduction;
    ASSERT_NE(reduction, float(int(reduction)));
    const std::string digits = cformat("%.17g", double(reduction));
    EXPECT_EQ(digits.size(), 18u);
    EXPECT_NE(raw.find("\"loadedReduction\": " + digits + ","), std::string::npos) << digits;
    EXPECT_NE(raw.find("\"totalVideoSizePercent\": 100.0,"), std::string::npos);
    for (const char *key : {"cceType", "sourceSize", "overheadSize", "targetTotalSize", "estimatedSectors"})
        EXPECT_TRUE(j[key].is_number_integer()) << key;
    EXPECT_TRUE(j["decimalComma"].is_boolean());
    EXPECT_EQ(j["statusText"], here.window.control(MainWindow::StatusEdit).text);
    ASSERT_EQ(j["segments"].size(), p.segments.size());
    for (int i = 0; i <= p.lastSegmentIndex(); ++i) {
        const Json &s = demo.segment(i);
        const Segment &segment = p.segment(i);
        EXPECT_EQ(s["listed"], here.window.rowOf(i) >= 0);
        EXPECT_TRUE(s["averageBitrate"].is_number_integer());
        // Every real reads back to the very double the program holds.
        EXPECT_EQ(s["reductionPercent"].get<double>(), segment.reductionPercent());
        EXPECT_EQ(s["minReductionPercent"].get<double>(), segment.minReductionPercent());
        EXPECT_EQ(s["videoSizePercent"].get<double>(), double(planning::videoSizePercent(p, segment)));
        EXPECT_EQ(s["settings"]["qmatLines"].size(), 16u);
        ASSERT_EQ(s["cells"].size(), segment.cells.size());
        for (std::size_t c = 0; c < segment.cells.size(); ++c) {
            EXPECT_EQ(s["cells"][c]["loadedReduction"].get<double>(), double(segment.cells[c].loadedReduction));
            EXPECT_EQ(s["cells"][c]["fps"].get<double>(), segment.cells[c].fps);
        }
    }
}

TEST(Cli, JsonKeepsBackslashesAndQuotesAndSurvivesBytesThatAreNotUtf8)
{
    TempFolder folder;
    const std::string odd = folder.path() + "/we \"quoted\" back\\slash";
    std::filesystem::create_directory(odd);
    ProjectFilesBuilder files;
    files.add(1, 1, 1, 4000, 5000);
    files.add(1, 2, 1, 4000, 5000);
    std::string ecl = files.eclText();
    ecl.replace(ecl.find("V01_001"), 7, "Caf\xe9"); // a Windows-1252 name
    std::ofstream(odd + "/Rebuilder.ECL", std::ios::binary) << ecl;
    std::ofstream(odd + "/Rebuilder.INF", std::ios::binary) << files.infText();

    const Json j = jsonOf(runCli({"show", odd + "/Rebuilder.INF", "--json"}));
    EXPECT_EQ(j["infPath"], odd + "/Rebuilder.INF");
    EXPECT_EQ(j["segments"][1]["cells"][0]["name"], "C:\\DVD\\D2V\\V01_001.avs");
    EXPECT_EQ(j["segments"][0]["cells"][0]["name"], "C:\\DVD\\D2V\\Caf\xef\xbf\xbd.avs");
}

TEST(Cli, VersionIsTheBuildsVersion)
{
    const CliRun run = runCli({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "tavro-cli " TAVRO_VERSION "\n");
}

TEST(Cli, ExitStatusTellsBadUsageFromAProjectThatDoesNotLoad)
{
    const std::string inf = "Rebuilder.INF", usage = "usage: tavro-cli show";
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{}, 2, usage}, {{"list", inf}, 2, usage}, {{"show", inf, "--save"}, 2, usage},
        {{"plan", inf, "--bitrate", "#0"}, 2, usage}, {{"plan", inf, "--bitrate", "#0=-5"}, 2, usage},
        {{"plan", inf, "--tweak", "#0=4000"}, 2, usage}, {{"plan", inf, "--link", "#0"}, 2, usage},
        {{"plan", inf, "--output-percent", "201"}, 2, usage}, {{"plan", inf, "--hide", "maybe"}, 2, usage},
        {{"plan", inf, "--keep-q"}, 2, usage},
        {{"show", "/nonexistent/Rebuilder.INF"}, 1, "Error loading Rebuilder.INF"},
    };
    for (const auto &[args, status, err] : cases) {
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, status) << (args.empty() ? "" : args.back());
        EXPECT_NE(run.err.find(err), std::string::npos) << run.err;
    }
}

TEST(Cli, OperationsTheMainWindowWouldNotAllowAreRefused)
{
    Demo demo;
    const int smallVbr = demo.find([](const Json &s) {
        return s["listed"].get<bool>() && s["vbrMode"].get<bool>() && s["significantCells"].get<int>() > 0
               && s["totalFrames"].get<int>() <= 3050;
    });
    const int large = demo.find(isLargeVbr);
    int withShortCell = -1;
    std::string shortCell;
    for (const Json &s : demo.json["segments"])
        for (std::size_t c = 0; c < s["cells"].size() && withShortCell < 0 && isLargeVbr(s); ++c)
            if (!s["cells"][c]["significant"].get<bool>()) {
                withShortCell = s["index"].get<int>();
                shortCell = std::to_string(c);
            }
    const int otherTitleSet = demo.find([&](const Json &s) { return s["vts"] != demo.segment(large)["vts"]; });
    const int opv = demo.find(isLargeOpv);
    ASSERT_TRUE(smallVbr >= 0 && large >= 0 && withShortCell >= 0 && otherTitleSet >= 0 && opv >= 0);

    // A tiny segment (0.05 %) hidden under the hide switch, and a title set of one segment.
    TempFolder folder;
    ProjectFilesBuilder files;
    files.add(1, 1, 1, 20000, 5000);
    files.add(1, 2, 1, 20, 5000);
    files.add(2, 1, 1, 20000, 5000);
    const std::string small = files.writeTo(folder);

    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
        bool keepQ = true;
    };
    const Case cases[] = {
        // a replanned OPV segment is saved only with --keep-q, and the refusal names it
        {{demo.inf, "--bitrate", seg(opv) + "=3000"}, 1, seg(opv) + " (" + demo.segment(opv)["label"].get<std::string>() + ")", false},
        {{demo.inf, "--bitrate", "#99=4000"}, 1, "no segment #99"},
        {{demo.inf, "--autosized", "77:1"}, 1, "no segment 77:1"},
        {{demo.inf, "--opv", seg(smallVbr)}, 1, "Enable OPV for small Vob-IDs"},
        {{demo.inf, "--tweak", seg(large) + "/0=4000"}, 1, "not Autosized and is VBR"},
        {{demo.inf, "--bitrate", seg(large) + "=4000", "--tweak", seg(large) + "/99=4000"}, 1, "has no cell 99"},
        {{demo.inf, "--bitrate", seg(withShortCell) + "=4000", "--tweak", seg(withShortCell) + "/" + shortCell + "=4000"}, 1,
         "10 frames or fewer"},
        {{demo.inf, "--link", seg(large) + "," + seg(otherTitleSet)}, 1, "is not a listed segment"},
        {{small, "--bitrate", "1:2=4000"}, 1, "is hidden"},
        {{small, "--hide", "off", "--bitrate", "1:2=4000"}, 0, ""},
        {{small, "--link-all", "1:1"}, 1, "This VobID can't be linked\nIt's the only VobID of the VTS"},
        {{small, "--link-all", "1:1", "--hide", "off"}, 0, ""},
        {{small, "--link", "1:2,1:1"}, 1, "is hidden"},
    };
    for (const Case &c : cases) {
        std::vector<std::string> args = {"plan"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back("--save");
        if (c.keepQ)
            args.push_back("--keep-q");
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, c.status) << c.args[1] << " " << c.args[2] << "\n" << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fileExists(demo.inf + ".bak")); // a refused plan saves nothing
}

TEST(Cli, OperationsDoWhatTheMainWindowDoes)
{
    Demo demo;
    const int a = demo.find(isLargeVbr);
    const int b = demo.find([&](const Json &s) { return isLarge(s) && s["index"] != a; });
    const int opv = demo.find(isLargeOpv);
    ASSERT_TRUE(a >= 0 && b >= 0 && opv >= 0);
    const unsigned average = demo.segment(a)["averageBitrate"].get<unsigned>();
    const int cell = demo.segment(a)["cells"][0]["significant"].get<bool>() ? 0 : 1;
    const int cellRate = demo.segment(a)["cells"][std::size_t(cell)]["bitrate"].get<int>();
    const std::string tweak = seg(a) + "/" + std::to_string(cell) + "=";

    struct Case {
        std::vector<std::string> ops;
        std::function<void(Window &)> same;
    };
    const Case cases[] = {
        {{"--bitrate", seg(a) + "=3000"}, [&](Window &w) { w.untickAndType(a, 3000); }},
        {{"--reduction", seg(b) + "=33.5", "--autosized", seg(b)},
         [&](Window &w) {
             w.untickAndType(b, unsigned(w.project.segment(b).averageBitrate())); // only unticks
             w.window.reductionChosen(33.5);
             w.window.autosizedClicked(true);
         }},
        {{"--opv", seg(a), "--vbr", seg(opv)},
         [&](Window &w) {
             w.window.rowSelected(w.window.rowOf(a));
             w.window.opvClicked();
             w.window.rowSelected(w.window.rowOf(opv));
             w.window.vbrClicked();
         }},
        {{"--bitrate", seg(a) + "=3000", "--tweak", tweak + "6000"},
         [&](Window &w) {
             w.untickAndType(a, 3000);
             Segment &s = w.project.segment(a);
             s.cells[std::size_t(cell)].tweaked = true;
             s.tweakCell(cell, 6000, w.project.targetTotalSize - w.project.currentTotalSize());
             w.window.afterTweakCells();
         }},
        {{"--bitrate", seg(a) + "=" + std::to_string(average), "--tweak", tweak + std::to_string(cellRate)},
         [&](Window &w) { // the cell's own bitrate only unlocks it
             w.untickAndType(a, average);
             w.project.segment(a).cells[std::size_t(cell)].tweaked = true;
             w.window.afterTweakCells();
         }},
        {{"--output-percent", "96.5", "--reset"},
         [&](Window &w) {
             w.project.setOutputSizePercent(96.5);
             w.window.afterGlobalOptions();
             w.window.resetClicked();
         }},
    };
    for (const Case &c : cases) {
        std::vector<std::string> args = {"plan", demo.inf, "--json"};
        args.insert(args.end(), c.ops.begin(), c.ops.end());
        Window here(demo.inf);
        c.same(here);
        EXPECT_EQ(planOf(jsonOf(runCli(args))), planOf(here.project)) << c.ops[0] << " " << c.ops[1];
    }
}

TEST(Cli, SavedPlanShowsAgainAndTouchesOnlyManagedValues)
{
    Demo demo;
    const int a = demo.find(isLargeVbr);
    const int opv = demo.find(isLargeOpv);
    ASSERT_TRUE(a >= 0 && opv >= 0);
    const std::string ecl = demo.inf.substr(0, demo.inf.size() - 3) + "ECL";
    const std::string infBefore = readBytes(demo.inf);
    const std::string eclBefore = readBytes(ecl);

    const CliRun saved = runCli({"plan", demo.inf, "--bitrate", seg(a) + "=2500", "--bitrate", seg(opv) + "=3000",
                                 "--output-percent", "97", "--json", "--save", "--keep-q"});
    const Json after = jsonOf(saved);
    EXPECT_NE(saved.err.find("Settings Saved"), std::string::npos);
    EXPECT_TRUE(fileExists(demo.inf + ".bak"));
    EXPECT_EQ(after["segments"][std::size_t(opv)]["settings"]["opvQFactor"], demo.segment(opv)["settings"]["opvQFactor"]);
    for (const Json &s : after["segments"])
        EXPECT_FALSE(s["replanned"].get<bool>()); // the JSON describes the project after the save
    // Each cell's bitrate is truncated, so the average lands within a step of what was typed.
    EXPECT_NEAR(after["segments"][std::size_t(a)]["averageBitrate"].get<int>(), 2500, 2);

    const Json shown = jsonOf(runCli({"show", demo.inf, "--json"}));
    EXPECT_EQ(planOf(shown).size(), planOf(after).size());
    for (std::size_t i = 0; i < after["segments"].size(); ++i)
        for (std::size_t c = 0; c < after["segments"][i]["cells"].size(); ++c)
            EXPECT_EQ(shown["segments"][i]["cells"][c]["bitrate"], after["segments"][i]["cells"][c]["bitrate"]);

    // Line by line, only the INF's reductions and the ECL's bitrate keys moved.
    struct File {
        std::string before, after;
        std::set<std::string> mayChange;
    };
    const File files[] = {
        {infBefore, readBytes(demo.inf), {"Reduction="}},
        {eclBefore, readBytes(ecl), {"vbr_brate_avg=", "vbr_brate_min=", "vbr_brate_max="}},
    };
    for (const File &file : files) {
        const std::vector<std::string> before = lines(file.before);
        const std::vector<std::string> now = lines(file.after);
        ASSERT_EQ(before.size(), now.size());
        int changed = 0;
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (before[i] == now[i])
                continue;
            ++changed;
            const std::string key = before[i].substr(0, before[i].find('=') + 1);
            EXPECT_TRUE(file.mayChange.count(key) && now[i].rfind(key, 0) == 0) << before[i] << " -> " << now[i];
        }
        EXPECT_GT(changed, 0);
    }
    EXPECT_EQ(readBytes(demo.inf + ".original"), infBefore);
}

namespace {

// A generated project of another CCE type or encoder mode; the path of its INF.
std::string variant(const TempFolder &folder, int cceType, int encoderMode = 1)
{
    std::string inf, error;
    const std::string where = folder.path() + cformat("/type%d-mode%d", cceType, encoderMode);
    EXPECT_TRUE(generateProject(variantOptions(3, cceType, false, false, encoderMode), where, &inf, &error)) << error;
    return inf;
}

// tavro-cli as the user "nobody" (the owner of the project), as root does not meet permissions.
CliRun runCliAsOwner(const std::vector<std::string> &args, const passwd *owner)
{
    if (!owner)
        return runCli(args);
    TempFolder scratch;
    const std::string out = scratch.file("out");
    const std::string err = scratch.file("err");
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<std::string> all = {TAVRO_CLI};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char *> argv;
        for (std::string &arg : all)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (outFd < 0 || errFd < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0 || ::setgid(owner->pw_gid) != 0
            || ::setuid(owner->pw_uid) != 0)
            ::_exit(126);
        ::execv(TAVRO_CLI, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readBytes(out), readBytes(err)};
}

} // namespace

TEST(Cli, SettingActsOnTheSegmentsSettingsWindow)
{
    Demo demo;
    TempFolder folder;
    const std::string oldSp = variant(folder, 0), pro = variant(folder, 3, 3);
    struct Case {
        std::string inf;
        std::vector<std::string> settings;
        int status;
        std::string err;
        std::function<void(const Json &)> check;
    };
    auto field = [](const Json &j, int segment, const char *name) { return j["segments"][segment]["settings"][name]; };
    const Case cases[] = {
        {demo.inf, {"#0/passes=4"}, 0, "", [&](const Json &j) { EXPECT_EQ(field(j, 0, "vbrPasses"), 3); }},
        {demo.inf, {"#1/matrices=mpeg standard"}, 0, "",
         [&](const Json &j) {
             EXPECT_EQ(field(j, 1, "qmatIndex"), 1);
             EXPECT_EQ(field(j, 1, "adjustQMatrix"), 1);
             EXPECT_TRUE(j["segments"][1]["replanned"].get<bool>()); // OK of a CCE window
         }},
        {demo.inf, {"all/gop=12"}, 0, "",
         [&](const Json &j) {
             for (const Json &s : j["segments"])
                 EXPECT_EQ(s["settings"]["gopHeader"] == 12, s["listed"].get<bool>()) << s["label"];
         }},
        {demo.inf, {"#0/min-bitrate=9500"}, 1, "Please enter an integer between 0 and 9000.", {}},
        {demo.inf, {"#0/quality=101"}, 1, "quality takes 0 to 100 in the CCE 2.70 Settings window", {}},
        {demo.inf, {"#0/complexity=2"}, 1, "the CCE 2.70 Settings window has no complexity", {}},
        {demo.inf, {"#0/dc-precision=11"}, 1, "dc-precision takes 10 | 9 | 8", {}},
        {demo.inf, {"#0/colour=red"}, 2, "no setting named \"colour\"", {}},
        {oldSp, {"#0/dither=on"}, 1, "dither is disabled in the CCE SP settings window", {}},
        {oldSp, {"#0/vertical-filter=on", "#0/vertical-filter-value=32"}, 0, "",
         [&](const Json &j) { EXPECT_EQ(field(j, 0, "filterValue"), 32); }},
        {pro, {"#0/scan=Alternate"}, 1, "does not show scan", {}},
        {pro, {"#0/progressive=on"}, 0, "", [&](const Json &j) { EXPECT_EQ(field(j, 0, "progressive"), 1); }},
    };
    for (const Case &c : cases) {
        std::vector<std::string> args = {"plan", c.inf, "--json"};
        for (const std::string &setting : c.settings)
            args.insert(args.end(), {"--setting", setting});
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, c.status) << c.settings.back() << "\n" << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.settings.back() << "\n" << run.err;
        if (c.check && run.status == 0)
            c.check(Json::parse(run.out));
    }
    const std::string help = runCli({"--help"}).out;
    for (const char *name : {"passes", "dc-precision", "gop", "scan", "progressive", "fades", "quality", "vbr-bias",
                             "min-bitrate", "max-bitrate", "matrices", "disable-adaptive-q", "low-pass",
                             "low-pass-value", "vertical-filter", "vertical-filter-value", "dither", "dither-y",
                             "dither-c", "filter", "complexity"})
        EXPECT_NE(help.find(std::string("\n  ") + name + " "), std::string::npos) << name;
}

TEST(Cli, PresetOnEverySegmentSavesOnlyTheKeysItOwns)
{
    Demo demo;
    const std::string ecl = demo.inf.substr(0, demo.inf.size() - 3) + "ECL";
    const std::string before = readBytes(ecl);
    const CliRun saved = runCli({"plan", demo.inf, "--preset", "all=natural", "--setting", "#1/max-bitrate=8000",
                                 "--save", "--keep-q"});
    ASSERT_EQ(saved.status, 0) << saved.err;
    const Json shown = jsonOf(runCli({"show", demo.inf, "--json"}));
    for (const Json &s : shown["segments"]) {
        if (!s["listed"].get<bool>())
            continue;
        EXPECT_EQ(s["settings"]["hFilter"], 1) << s["label"];
        EXPECT_EQ(s["settings"]["hFilterIndex"], 32);
        EXPECT_EQ(s["settings"]["quality"], 16);
        EXPECT_EQ(s["settings"]["dither"], 0);
        EXPECT_EQ(s["settings"]["useFilter"], 0);
    }
    EXPECT_EQ(shown["segments"][1]["settings"]["maxBitrate"], 8000);

    const std::set<std::string> owned = {"quality_prec=",  "use_filter=",    "v_filter=",
                                         "dither=",        "h_filter=",      "h_filter_idx=",
                                         "h_filter_idx2=", "vbr_brate_max=", "opv_brate_max="};
    const std::vector<std::string> was = lines(before), now = lines(readBytes(ecl));
    ASSERT_EQ(was.size(), now.size());
    int changed = 0;
    for (std::size_t i = 0; i < was.size(); ++i) {
        if (was[i] == now[i])
            continue;
        ++changed;
        const std::string key = was[i].substr(0, was[i].find('=') + 1);
        EXPECT_TRUE(owned.count(key) && now[i].rfind(key, 0) == 0) << was[i] << " -> " << now[i];
    }
    EXPECT_GT(changed, 0);

    TempFolder folder;
    const CliRun old = runCli({"plan", variant(folder, 0), "--preset", "all=cg"});
    EXPECT_EQ(old.status, 1);
    EXPECT_NE(old.err.find("the presets are disabled in the CCE SP settings window"), std::string::npos) << old.err;
}

TEST(Cli, MatricesReadsTheChosenFileIntoTheSegment)
{
    Demo demo;
    TempFolder folder;
    std::string matrix;
    for (int i = 0; i < 16; ++i)
        matrix += (i == 0 ? "8" : "9") + std::string(" 16 19 22 26 27 29 34\r\n");
    const std::string good = folder.write("a=b.txt", matrix); // everything after the first "=" is the file
    const std::string bad = folder.write("bad.txt", "16 16 16 16 16 16 16 16\r\n");
    const Json j = jsonOf(runCli({"plan", demo.inf, "--matrices", "#0=" + good, "--json"}));
    EXPECT_EQ(j["segments"][0]["settings"]["qmatIndex"], -1);
    EXPECT_EQ(j["segments"][0]["settings"]["qmatLines"][15], "9 16 19 22 26 27 29 34");

    struct Refused {
        std::string inf, value, err;
    };
    const Refused refused[] = {
        {demo.inf, "#0=" + bad, "Error loading matrices"},
        {variant(folder, 2), "all=" + good, "the Encoder settings window has no matrices list"},
    };
    for (const Refused &r : refused) {
        const CliRun run = runCli({"plan", r.inf, "--matrices", r.value});
        EXPECT_EQ(run.status, 1) << r.value;
        EXPECT_NE(run.err.find(r.err), std::string::npos) << run.err;
    }
}

TEST(Cli, SetQFactorThroughTheWindowAndItsRangeMessage)
{
    TempFolder folder;
    ProjectFilesBuilder files;
    files.add(1, 1, 1, 5000, 4000).itemLines = {"video_type=4", "opv_q_factor=40"}; // OPV
    files.add(1, 2, 1, 5000, 4000).itemLines = {"video_type=4", "opv_q_factor=0"};  // OPV without a valid Q
    files.add(1, 3, 1, 5000, 4000).itemLines = {"video_type=16", "opv_q_factor=40"}; // VBR
    const std::string inf = files.writeTo(folder);
    const std::string range = "Please enter an integer between 1 and 128.";
    struct Case {
        std::string arg;
        int status;
        std::string err;
        bool replanned = false;
        int q = 0;
    };
    const Case cases[] = {
        {"1:1=calculated", 0, "", true, 40}, {"1:1=128", 0, "", false, 128}, {"1:2=7", 0, "", false, 7},
        {"1:1=129", 1, range}, {"1:2=calculated", 1, range},
        {"1:3=40", 1, "Set Custom Q is only for an OPV segment"}, {"1:1=high", 2, "usage: tavro-cli"},
    };
    for (const Case &c : cases) {
        const CliRun run = runCli({"plan", inf, "--set-q", c.arg, "--json"});
        EXPECT_EQ(run.status, c.status) << c.arg << "\n" << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        if (c.status != 0)
            continue;
        const Json segment = Json::parse(run.out)["segments"][std::size_t(c.arg[2] - '1')];
        EXPECT_EQ(segment["replanned"], c.replanned) << c.arg;
        EXPECT_EQ(segment["settings"]["opvQFactor"], c.q) << c.arg;
    }
}

TEST(Cli, RestorePutsBackWhatDvdRebuilderWroteEvenWhenTheProjectNoLongerLoads)
{
    TempFolder folder;
    const std::string script = folder.write("V01.avs", "edited\r\n");
    folder.write("V01.avs.bak", "as DVD-Rebuilder wrote it\r\n");
    ProjectFilesBuilder files;
    files.add(1, 1, 1, 5000, 4000).itemLines = {"name=" + script};
    files.add(1, 2, 1, 5000, 4000);
    const std::string inf = files.writeTo(folder);
    const std::string ecl = folder.file("Rebuilder.ECL");
    const std::string infBefore = readBytes(inf), eclBefore = readBytes(ecl);
    ASSERT_EQ(runCli({"plan", inf, "--bitrate", "1:1=3000", "--save", "--keep-q"}).status, 0);
    ASSERT_NE(readBytes(ecl), eclBefore);
    folder.write("Rebuilder.INF", "no longer a project\r\n");

    const CliRun restored = runCli({"restore", inf});
    EXPECT_EQ(restored.status, 0) << restored.err;
    EXPECT_EQ(readBytes(inf), infBefore);
    EXPECT_EQ(readBytes(ecl), eclBefore);
    EXPECT_EQ(readBytes(script), "as DVD-Rebuilder wrote it\r\n");

    // A copy that cannot be made stops the restore with its message.
    std::filesystem::remove(ecl);
    std::filesystem::create_directory(ecl);
    const CliRun blocked = runCli({"restore", inf});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_NE(blocked.err.find("Problems restoring original Rebuilder.ECL."), std::string::npos) << blocked.err;
    EXPECT_EQ(runCli({"restore", inf, "--json"}).status, 2);
}

TEST(Cli, PredictRunsTheWindowsSearchWithTheEncoderAndSavesTheQFactorsItFound)
{
    Demo demo;
    const int opv = demo.find(isLargeOpv);
    ASSERT_GE(opv, 0);
    TempFolder config; // no Tavro.ini: the window's defaults, and the file is never written
    const std::string environment = "XDG_CONFIG_HOME=" + quoted(config.path());
    const std::vector<std::string> plan = {"plan", demo.inf, "--bitrate", seg(opv) + "=3000", "--save", "--predict",
                                           "--cce", TAVRO_FAKE_CCE, "--double-pass", "--sample-size", "2"};

    // The same plan and options through the prediction window in this process, on a copy.
    Demo copy;
    Window here(copy.inf);
    here.untickAndType(opv, 3000);
    here.settings.ccePath = TAVRO_FAKE_CCE;
    PredictionDialog dialog(here.project, here.settings, config.path(), here.desktop);
    dialog.storesOptions = false;
    dialog.doublePassClicked(true);
    dialog.sampleSizeTyped("2");
    ASSERT_TRUE(dialog.predictClicked());
    for (PredictionStep step = dialog.nextStep(); step.kind != PredictionStep::Kind::Finished; step = dialog.nextStep()) {
        if (step.kind == PredictionStep::Kind::RunEncoder) {
            const std::string line = quoted(TAVRO_FAKE_CCE) + " -ecl " + quoted(std::string(step.encoder.arguments[1])) + " -batch";
            EXPECT_EQ(std::system(line.c_str()), 0);
            dialog.encoderFinished(Desktop::EncoderResult::Finished);
        }
    }
    const int q = here.project.segment(opv).settings.opvQFactor;
    ASSERT_GT(q, 0);

    std::vector<std::string> args = plan;
    args.push_back("--json");
    const CliRun run = runCli(args, environment);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(lines(run.err).back(), "Settings Saved");
    std::vector<std::string> logged = lines(run.err);
    logged.pop_back();
    EXPECT_EQ(logged, dialog.log()); // the log goes to standard error, line for line
    const Json report = Json::parse(run.out);
    const Json &predicted = report["prediction"]["segments"];
    ASSERT_EQ(predicted.size(), 1u);
    EXPECT_EQ(predicted[0]["index"], opv);
    EXPECT_EQ(predicted[0]["qFactor"], q);
    EXPECT_EQ(predicted[0]["passes"].size(), 2u);
    EXPECT_FALSE(predicted[0]["passes"][0]["trials"].empty());
    EXPECT_EQ(jsonOf(runCli({"show", demo.inf, "--json"}))["segments"][std::size_t(opv)]["settings"]["opvQFactor"], q);
    EXPECT_NE(readBytes(demo.inf.substr(0, demo.inf.size() - 3) + "ECL").find(cformat("\r\nopv_q_factor=%d\r\n", q)),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(config.path()));

    // Option values the window refuses, and combinations the command line refuses.
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"--sample-size", "0.05"}, "Please enter a number between 0.1 and 100."},
        {{"--gops-per-range", "0"}, "Please enter an integer between 1 and 9999."},
        {{"--keep-q"}, "--predict and --keep-q exclude each other"},
    };
    for (const auto &[extra, message] : refused) {
        std::vector<std::string> bad = plan;
        bad.insert(bad.end(), extra.begin(), extra.end());
        const CliRun refusal = runCli(bad, environment);
        EXPECT_EQ(refusal.status, 2) << refusal.err;
        EXPECT_NE(refusal.err.find(message), std::string::npos) << refusal.err;
    }
    EXPECT_EQ(runCli({"plan", demo.inf, "--predict"}).status, 2);
}

// An encoder that leaves a process behind holding its output open (as Wine's services do for a
// Windows encoder) is done when it has ended: the prediction goes on and gives the same result.
TEST(Cli, PredictGoesOnWhenTheEncoderHasEndedThoughItsOutputIsStillOpen)
{
    Demo direct;
    Demo lingering;
    const int opv = direct.find(isLargeOpv);
    ASSERT_GE(opv, 0);
    TempFolder tools;
    const std::string pidFile = tools.file("left-behind");
    const std::string wrapper = tools.write("lingering-cce", "#!/bin/sh\n" + quoted(TAVRO_FAKE_CCE) + " \"$@\"\nstatus=$?\nsleep 600 &\necho $! >"
                            + quoted(pidFile) + "\nexit $status\n");
    ASSERT_EQ(::chmod(wrapper.c_str(), 0755), 0);
    for (auto [demo, cce] : {std::pair{&direct, std::string(TAVRO_FAKE_CCE)}, std::pair{&lingering, wrapper}}) {
        const CliRun run = runCli({"plan", demo->inf, "--bitrate", seg(opv) + "=3000", "--save", "--predict", "--cce", cce});
        EXPECT_EQ(run.status, 0) << run.err;
    }
    const std::string left = readBytes(pidFile);
    ASSERT_TRUE(fileExists(pidFile));
    ::kill(std::stoi(left), SIGKILL);
    const auto q = [opv](const Demo &demo) {
        return jsonOf(runCli({"show", demo.inf, "--json"}))["segments"][std::size_t(opv)]["settings"]["opvQFactor"];
    };
    EXPECT_EQ(q(lingering), q(direct));
    EXPECT_GT(q(direct), 0);
}

// A save that cannot replace the ECL (write-protected by its owner) changes neither file and
// says why; a save that was killed half way is reported by show, which writes nothing, and
// repaired by plan.

TEST(Cli, PredictWithParallelEncodersSavesTheSameEclAsOneAtATime)
{
    // Five OPV segments in two title sets, each made replanned by the OPV button.
    GeneratorOptions options;
    options.segments = 5;
    options.opvEvery = 1;
    TempFolder config; // the settings file's value is refused by the window's range
    std::filesystem::create_directories(config.path() + "/Tavro/Tavro");
    std::ofstream(config.path() + "/Tavro/Tavro/Tavro.ini") << "opv_parallel_encoders=17\r\n";
    const std::string environment = "XDG_CONFIG_HOME=" + quoted(config.path()) + " FAKE_CCE_DELAY_MS=50";
    std::string firstEcl, firstLog;
    for (const char *parallel : {"1", "2", "from the settings file"}) {
        SCOPED_TRACE(parallel);
        TempFolder folder;
        std::string inf, error;
        ASSERT_TRUE(generateProject(options, folder.path(), &inf, &error)) << error;
        const std::string ecl = inf.substr(0, inf.size() - 3) + "ECL";
        const std::string eclBefore = readBytes(ecl);
        std::vector<std::string> args = {"plan", inf, "--hide", "off"};
        for (int i = 0; i < options.segments; ++i)
            args.insert(args.end(), {"--opv", seg(i)});
        args.insert(args.end(), {"--save", "--predict", "--cce", TAVRO_FAKE_CCE});
        if (std::string(parallel).size() == 1)
            args.insert(args.end(), {"--parallel", parallel});
        const CliRun run = runCli(args, environment);
        if (std::string(parallel).size() > 1) {
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find("Please enter an integer between 1 and 16."), std::string::npos) << run.err;
            EXPECT_NE(run.err.find("refused opv_parallel_encoders="), std::string::npos) << run.err;
            EXPECT_EQ(readBytes(ecl), eclBefore);
            continue;
        }
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(lines(run.err).back(), "Settings Saved");
        // The ECL names the project's folder, which differs from run to run.
        std::string saved = readBytes(ecl);
        for (std::size_t at; (at = saved.find(folder.path())) != std::string::npos;)
            saved.replace(at, folder.path().size(), "DIR");
        if (firstEcl.empty()) {
            firstEcl = saved;
            firstLog = run.err;
            EXPECT_NE(readBytes(ecl), eclBefore);
        } else {
            EXPECT_EQ(saved, firstEcl);
            EXPECT_EQ(lines(run.err).size(), lines(firstLog).size()); // the same lines, by segment
        }
    }
    const CliRun refused = runCli({"plan", "x.INF", "--save", "--predict", "--parallel", "0"}, environment);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("Please enter an integer between 1 and 16."), std::string::npos) << refused.err;
}

TEST(Cli, ASaveThatCannotFinishLeavesThePairAndAnInterruptedOneIsReportedThenRepaired)
{
    Demo demo;
    const std::string ecl = demo.inf.substr(0, demo.inf.size() - 3) + "ECL";
    const passwd *owner = ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
    if (::geteuid() == 0 && !owner)
        GTEST_SKIP() << "no ordinary user to own the project";
    if (owner) {
        ASSERT_EQ(::chmod(demo.folder.path().c_str(), 0755), 0);
        for (const auto &entry : std::filesystem::recursive_directory_iterator(demo.folder.path()))
            ASSERT_EQ(::chown(entry.path().c_str(), owner->pw_uid, owner->pw_gid), 0);
        ASSERT_EQ(::chown(std::filesystem::path(demo.inf).parent_path().c_str(), owner->pw_uid, owner->pw_gid), 0);
    }
    ASSERT_EQ(::chmod(ecl.c_str(), 0444), 0);
    const std::string inf = readBytes(demo.inf);
    const std::string shown = runCli({"show", demo.inf, "--json"}).out;

    const CliRun refused = runCliAsOwner({"plan", demo.inf, "--bitrate", "#0=4000", "--save", "--keep-q"}, owner);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("Error saving: Rebuilder.INF and Rebuilder.ECL were not changed.\n" + ecl
                               + ": Permission denied"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(readBytes(demo.inf), inf);
    EXPECT_EQ(runCli({"show", demo.inf, "--json"}).out, shown);
    ASSERT_EQ(::chmod(ecl.c_str(), 0644), 0);

    // Killed between the two replacements: the INF is new, the ECL old.
    Window intended(demo.inf);
    intended.untickAndType(0, 4000);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Window &here = intended;
        setSaveStepHook([](SaveStep step) {
            if (step == SaveStep::ReplaceEcl)
                ::kill(::getpid(), SIGKILL);
            return true;
        });
        here.window.saveWithoutAsking([] { return true; });
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    const std::string halfInf = readBytes(demo.inf);
    ASSERT_NE(halfInf, inf);

    const CliRun look = runCli({"show", demo.inf});
    EXPECT_EQ(look.status, 1);
    EXPECT_NE(look.err.find("An interrupted save left Rebuilder.INF and Rebuilder.ECL to be repaired"), std::string::npos)
        << look.err;
    EXPECT_EQ(readBytes(demo.inf), halfInf);
    const CliRun repaired = runCli({"plan", demo.inf, "--json"});
    EXPECT_EQ(repaired.status, 0) << repaired.err;
    EXPECT_NE(repaired.err.find("An interrupted save was found and completed"), std::string::npos) << repaired.err;
    // The pair is the killed save's: its INF, and the cell bitrates of its plan.
    EXPECT_EQ(readBytes(demo.inf), halfInf);
    const Json after = jsonOf(repaired);
    for (std::size_t c = 0; c < after["segments"][0]["cells"].size(); ++c)
        EXPECT_EQ(after["segments"][0]["cells"][c]["bitrate"], intended.project.segment(0).cells[c].bitrate);
    EXPECT_EQ(runCli({"show", demo.inf}).status, 0);
}

namespace {

// The scripts of a segment's cells, as on disk.
std::vector<std::string> scriptsOf(const Json &segment)
{
    std::vector<std::string> scripts;
    for (const Json &cell : segment["cells"])
        scripts.push_back(readBytes(cell["name"].get<std::string>()));
    return scripts;
}

// Each script (CR LF lines) with `line` put in before line `index`, or at the end for -1.
std::vector<std::string> withLine(std::vector<std::string> scripts, int index, const std::string &line)
{
    for (std::string &script : scripts) {
        std::size_t at = index < 0 ? script.size() : 0;
        for (int i = 0; i < index; ++i)
            at = script.find("\r\n", at) + 2;
        script.insert(at, line + "\r\n");
    }
    return scripts;
}

} // namespace

TEST(Cli, AvsInsertPutsTheLineIntoEveryCellsScript)
{
    Demo demo(1); // a demo with a segment of insignificant size

    const int vbr = demo.find(isLargeVbr);
    const int opv = demo.find(isLargeOpv);
    const int hidden = demo.find([](const Json &s) { return !s["listed"].get<bool>(); });
    ASSERT_TRUE(vbr >= 0 && opv >= 0 && hidden >= 0);
    const std::vector<std::string> original = scriptsOf(demo.segment(vbr));

    // Everything after the first "=" behind the list number is the text.
    EXPECT_EQ(runCli({"plan", demo.inf, "--avs-insert", seg(vbr) + "@2=Deblock(quant=25)"}).status, 0);
    EXPECT_EQ(scriptsOf(demo.segment(vbr)), withLine(original, 1, "Deblock(quant=25)"));
    for (std::size_t c = 0; c < original.size(); ++c)
        EXPECT_EQ(readBytes(demo.segment(vbr)["cells"][c]["name"].get<std::string>() + ".bak"), original[c]);
    EXPECT_EQ(jsonOf(runCli({"show", demo.inf, "--json"}))["segments"][std::size_t(vbr)]["scriptLines"][1],
              "Deblock(quant=25)");

    // `all` reaches an OPV segment: refused before any script is written, unless the run saves
    // keeping the Q factors.
    const std::vector<std::string> before = scriptsOf(demo.segment(vbr));
    const CliRun refused = runCli({"plan", demo.inf, "--avs-insert", "all@end=Blur(0.1)"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(seg(opv) + " (" + demo.segment(opv)["label"].get<std::string>() + ") is OPV"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(scriptsOf(demo.segment(vbr)), before);

    const std::vector<std::string> opvBefore = scriptsOf(demo.segment(opv));
    const std::vector<std::string> hiddenBefore = scriptsOf(demo.segment(hidden));
    EXPECT_EQ(runCli({"plan", demo.inf, "--avs-insert", "all@end=Blur(0.1)", "--save", "--keep-q"}).status, 0);
    EXPECT_EQ(scriptsOf(demo.segment(vbr)), withLine(before, -1, "Blur(0.1)"));
    EXPECT_EQ(scriptsOf(demo.segment(opv)), withLine(opvBefore, -1, "Blur(0.1)"));
    EXPECT_EQ(scriptsOf(demo.segment(hidden)), hiddenBefore); // not listed, not edited
    const CliRun predicted = runCli({"plan", demo.inf, "--avs-insert", seg(opv) + "@end=Blur(0.2)", "--save", "--predict",
                                     "--cce", TAVRO_FAKE_CCE});
    EXPECT_EQ(predicted.status, 0) << predicted.err;
    EXPECT_EQ(scriptsOf(demo.segment(opv)), withLine(withLine(opvBefore, -1, "Blur(0.1)"), -1, "Blur(0.2)"));
}

TEST(Cli, AvsRemoveTakesTheLineOutOfEveryCellsScript)
{
    Demo demo;
    const int vbr = demo.find(isLargeVbr);
    ASSERT_GE(vbr, 0);
    const std::vector<std::string> original = scriptsOf(demo.segment(vbr));
    const std::size_t listed = demo.segment(vbr)["scriptLines"].size();
    ASSERT_EQ(runCli({"plan", demo.inf, "--avs-insert", seg(vbr) + "@1=Blur(1)"}).status, 0);

    EXPECT_EQ(runCli({"plan", demo.inf, "--avs-remove", seg(vbr) + "@1"}).status, 0);
    EXPECT_EQ(scriptsOf(demo.segment(vbr)), original);
    // The last list number is the end of the script: nothing there to remove.
    const CliRun end = runCli({"plan", demo.inf, "--avs-remove", seg(vbr) + "@" + std::to_string(listed + 1)});
    EXPECT_EQ(end.status, 1);
    EXPECT_NE(end.err.find("there is no line to remove"), std::string::npos) << end.err;
    EXPECT_EQ(runCli({"plan", demo.inf, "--avs-remove", "all@1"}).status, 2);
}

TEST(Cli, AvsRestorePutsBackTheBakCopies)
{
    Demo demo;
    const int vbr = demo.find(isLargeVbr);
    ASSERT_GE(vbr, 0);
    const CliRun nothing = runCli({"plan", demo.inf, "--avs-restore", seg(vbr)});
    EXPECT_EQ(nothing.status, 1);
    EXPECT_NE(nothing.err.find("no .bak copy"), std::string::npos) << nothing.err;

    const std::vector<std::string> original = scriptsOf(demo.segment(vbr));
    ASSERT_EQ(runCli({"plan", demo.inf, "--avs-insert", seg(vbr) + "@end=Blur(1)"}).status, 0);
    ASSERT_NE(scriptsOf(demo.segment(vbr)), original);
    EXPECT_EQ(runCli({"plan", demo.inf, "--avs-restore", seg(vbr)}).status, 0);
    EXPECT_EQ(scriptsOf(demo.segment(vbr)), original);
}
