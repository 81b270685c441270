// tavro-cli run as a separate program on generated projects, compared with the main window's
// commands run in this process on the same files.

#include "app/MainWindow.h"
#include "planning/Linking.h"
#include "ProjectGenerator.h"
#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/ProjectFilesBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

extern char **environ;

using Json = nlohmann::json;
using Control = MainWindow::Control;

namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

CliRun runCli(const std::vector<std::string> &args)
{
    TempFolder scratch;
    const std::string outPath = scratch.file("out");
    const std::string errPath = scratch.file("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> all = {TAVRO_CLI};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    CliRun run;
    pid_t pid = 0;
    if (posix_spawn(&pid, TAVRO_CLI, &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = readBytes(outPath);
    run.err = readBytes(errPath);
    return run;
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.push_back(line);
    }
    return result;
}

// A generated demo project in its own folder.
struct Demo {
    explicit Demo(unsigned seed = 3, int cceType = 3)
    {
        GeneratorOptions options = demoOptions(seed);
        options.cceType = cceType;
        std::string error;
        EXPECT_TRUE(generateProject(options, folder.path() + "/project", &inf, &error)) << error;
    }
    TempFolder folder;
    std::string inf;
};

// The main window of this process on the same files.
struct Window {
    explicit Window(const std::string &inf) : window(project, desktop, settings) { EXPECT_TRUE(window.loadFrom(inf)); }
    Project project;
    FakeDesktop desktop;
    AppSettings settings;
    MainWindow window;

    void select(int segment) { window.selectRow(window.rowOf(segment)); }
};

Json jsonOf(const CliRun &run)
{
    EXPECT_EQ(run.status, 0) << run.err;
    return Json::parse(run.out);
}

// The first segment for which `pick` holds, by the JSON of the loaded project.
int find(const Json &project, const std::function<bool(const Json &)> &pick)
{
    for (const Json &segment : project["segments"])
        if (pick(segment))
            return segment["index"].get<int>();
    return -1;
}

std::string seg(int index)
{
    return "#" + std::to_string(index);
}

bool isLarge(const Json &s)
{
    return s["listed"].get<bool>() && s["significantCells"].get<int>() > 0 && s["totalFrames"].get<int>() > 3050;
}

// Everything a plan changes, segment by segment, for comparing two plans.
std::string planOf(const Json &project)
{
    std::string text = "target " + project["targetTotalSize"].dump() + "\n";
    for (const Json &s : project["segments"]) {
        text += s["label"].get<std::string>() + (s["autosized"].get<bool>() ? " A" : " -")
                + (s["replanned"].get<bool>() ? "R" : "-") + (s["vbrMode"].get<bool>() ? "V" : "O")
                + (s["tweaked"].get<bool>() ? "T" : "-") + " " + s["settings"]["videoType"].dump() + ":";
        for (const Json &c : s["cells"])
            text += " " + c["bitrate"].dump() + (c["tweaked"].get<bool>() ? "t" : "");
        text += "\n";
    }
    return text;
}

std::string planOf(const Project &project)
{
    std::string text = "target " + std::to_string(project.targetTotalSize) + "\n";
    for (int i = 0; i <= project.lastSegmentIndex(); ++i) {
        const Segment &s = project.segment(i);
        text += MainWindow::rowText(project, i) + (s.autosized ? " A" : " -") + (s.replanned ? "R" : "-")
                + (s.vbrMode ? "V" : "O") + (s.tweaked ? "T" : "-") + " " + std::to_string(s.settings.videoType) + ":";
        for (const Cell &c : s.cells)
            text += " " + std::to_string(c.bitrate) + (c.tweaked ? "t" : "");
        text += "\n";
    }
    return text;
}

} // namespace

TEST(Cli, ShowPrintsOneRowPerSegmentThenTheProjectFigures)
{
    Demo demo;
    Window here(demo.inf);
    const CliRun run = runCli({"show", demo.inf});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> out = lines(run.out);
    const std::size_t segments = here.project.segments.size();
    ASSERT_EQ(out.size(), 1 + segments + 2); // header, rows, total, status
    for (std::size_t i = 0; i < segments; ++i) {
        EXPECT_NE(out[1 + i].find(MainWindow::rowText(here.project, int(i))), std::string::npos) << out[1 + i];
        EXPECT_NE(out[1 + i].find(std::to_string(here.project.segments[i].averageBitrate())), std::string::npos);
    }
    EXPECT_EQ(out[1 + segments], "Total Video Size %: 100");
    EXPECT_EQ(out[2 + segments], here.window.statusText);
    EXPECT_EQ(run.err, "");
}

TEST(Cli, JsonCarriesTheModelWithIntegersBoolsAndExactReals)
{
    Demo demo;
    Window here(demo.inf);
    const Json j = jsonOf(runCli({"show", demo.inf, "--json"}));
    const Project &p = here.project;
    EXPECT_EQ(j["infPath"], demo.inf);
    EXPECT_TRUE(j["decimalComma"].is_boolean());
    for (const char *key : {"encoderMode", "cceType", "sourceSize", "excludedAudioSubSize", "vtsSizeSum",
                            "overheadSize", "initialTotalSize", "targetTotalSize", "currentTotalSize",
                            "totalSizeSectors", "estimatedSectors", "estimatedMegabytes"})
        EXPECT_TRUE(j[key].is_number_integer()) << key;
    EXPECT_EQ(j["currentTotalSize"].get<std::int64_t>(), p.currentTotalSize());
    EXPECT_EQ(j["statusText"], here.window.statusText);
    EXPECT_EQ(j["totalVideoSizePercent"].get<double>(), double(here.window.totalSizePercent));

    ASSERT_EQ(j["segments"].size(), p.segments.size());
    for (int i = 0; i <= p.lastSegmentIndex(); ++i) {
        const Json &s = j["segments"][std::size_t(i)];
        const Segment &segment = p.segment(i);
        EXPECT_EQ(s["index"], i);
        EXPECT_EQ(s["label"], MainWindow::rowText(p, i));
        EXPECT_EQ(s["listed"], here.window.rowOf(i) >= 0);
        EXPECT_TRUE(s["averageBitrate"].is_number_integer());
        EXPECT_TRUE(s["reductionPercent"].is_number_float());
        // Every real reads back to the very double the program holds.
        EXPECT_EQ(s["reductionPercent"].get<double>(), segment.reductionPercent());
        EXPECT_EQ(s["loadedReductionPercent"].get<double>(), segment.loadedReductionPercent());
        EXPECT_EQ(s["minReductionPercent"].get<double>(), segment.minReductionPercent());
        EXPECT_EQ(s["videoSizePercent"].get<double>(), double(planning::videoSizePercent(p, segment)));
        EXPECT_EQ(s["durationText"], segment.durationText());
        EXPECT_TRUE(s["vbrMode"].is_boolean());
        ASSERT_EQ(s["settings"]["qmatLines"].size(), 16u);
        EXPECT_EQ(s["settings"]["qmatLines"][0], segment.settings.qmatLines[0]);
        EXPECT_EQ(s["settings"]["opvQFactor"], segment.settings.opvQFactor);
        ASSERT_EQ(s["cells"].size(), segment.cells.size());
        for (std::size_t c = 0; c < segment.cells.size(); ++c) {
            const Json &cell = s["cells"][c];
            EXPECT_EQ(cell["loadedReduction"].get<double>(), double(segment.cells[c].loadedReduction));
            EXPECT_EQ(cell["fps"].get<double>(), segment.cells[c].fps);
            EXPECT_EQ(cell["reduction"].get<double>(), segment.cells[c].reduction());
            EXPECT_EQ(cell["name"], segment.cells[c].name);
            EXPECT_TRUE(cell["significant"].is_boolean());
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
    ecl.replace(ecl.find("V01_001"), 7, "Caf\xe9");
    std::ofstream(odd + "/Rebuilder.ECL", std::ios::binary) << ecl;
    std::ofstream(odd + "/Rebuilder.INF", std::ios::binary) << files.infText();
    const std::string inf = odd + "/Rebuilder.INF";

    const Json j = jsonOf(runCli({"show", inf, "--json"}));
    EXPECT_EQ(j["infPath"], inf);
    EXPECT_EQ(j["segments"][1]["cells"][0]["name"], "C:\\DVD\\D2V\\V01_001.avs");
    EXPECT_EQ(j["segments"][0]["cells"][0]["name"], "C:\\DVD\\D2V\\Caf\xef\xbf\xbd.avs");
}

TEST(Cli, BadUsageExitsTwoWithTheUsage)
{
    Demo demo;
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"show"},
        {"list", demo.inf},
        {"show", demo.inf, "--save"},
        {"show", demo.inf, "--reset"},
        {"plan", demo.inf, "--bitrate"},
        {"plan", demo.inf, "--bitrate", "#0"},
        {"plan", demo.inf, "--bitrate", "#0=-5"},
        {"plan", demo.inf, "--bitrate", "1-1=4000"},
        {"plan", demo.inf, "--reduction", "#0=half"},
        {"plan", demo.inf, "--tweak", "#0=4000"},
        {"plan", demo.inf, "--link", "#0"},
        {"plan", demo.inf, "--output-percent", "0.5"},
        {"plan", demo.inf, "--output-percent", "201"},
        {"plan", demo.inf, "--hide", "maybe"},
        {"plan", demo.inf, "--keep-q"},
        {"plan", demo.inf, "--frobnicate"},
    };
    for (const std::vector<std::string> &args : cases) {
        const CliRun run = runCli(args);
        std::string shown;
        for (const std::string &arg : args)
            shown += arg + " ";
        EXPECT_EQ(run.status, 2) << shown;
        EXPECT_NE(run.err.find("usage: tavro-cli show"), std::string::npos) << shown;
        EXPECT_EQ(run.out, "") << shown;
    }
}

TEST(Cli, AProjectThatDoesNotLoadExitsOneWithTheLoadMessage)
{
    const CliRun run = runCli({"show", "/nonexistent/Rebuilder.INF"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Error loading Rebuilder.INF"), std::string::npos);
    EXPECT_EQ(run.out, "");
}

TEST(Cli, OperationsTheMainWindowWouldNotAllowAreRefused)
{
    Demo demo;
    const Json p = jsonOf(runCli({"show", demo.inf, "--json"}));
    const int smallVbr = find(p, [](const Json &s) {
        return s["listed"].get<bool>() && s["vbrMode"].get<bool>() && s["significantCells"].get<int>() > 0
               && s["totalFrames"].get<int>() <= 3050;
    });
    const int large = find(p, [](const Json &s) { return isLarge(s) && s["vbrMode"].get<bool>(); });
    int shortCellSegment = -1;
    int shortCell = -1;
    for (const Json &s : p["segments"]) {
        for (std::size_t c = 0; c < s["cells"].size() && shortCellSegment < 0; ++c) {
            if (isLarge(s) && s["vbrMode"].get<bool>() && !s["cells"][c]["significant"].get<bool>()) {
                shortCellSegment = s["index"].get<int>();
                shortCell = int(c);
            }
        }
    }
    const int otherTitleSet = find(p, [&](const Json &s) { return s["vts"] != p["segments"][std::size_t(large)]["vts"]; });
    ASSERT_GE(smallVbr, 0);
    ASSERT_GE(large, 0);
    ASSERT_GE(shortCellSegment, 0);
    ASSERT_GE(otherTitleSet, 0);

    struct Case {
        std::vector<std::string> ops;
        const char *reason;
    };
    const Case cases[] = {
        {{"--bitrate", "#99=4000"}, "no segment #99"},
        {{"--autosized", "77:1"}, "no segment 77:1"},
        {{"--opv", seg(smallVbr)}, "Enable OPV for small Vob-IDs"},
        {{"--tweak", seg(large) + "/0=4000"}, "not Autosized and is VBR"},
        {{"--bitrate", seg(large) + "=4000", "--tweak", seg(large) + "/99=4000"}, "has no cell 99"},
        {{"--bitrate", seg(shortCellSegment) + "=4000", "--tweak",
          seg(shortCellSegment) + "/" + std::to_string(shortCell) + "=4000"},
         "10 frames or fewer"},
        {{"--link", seg(large) + "," + seg(otherTitleSet)}, "is not a listed segment of the title set"},
    };
    for (const Case &c : cases) {
        std::vector<std::string> args = {"plan", demo.inf};
        args.insert(args.end(), c.ops.begin(), c.ops.end());
        args.push_back("--save");
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, 1) << c.reason;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    // Nothing was saved by a refused plan.
    EXPECT_FALSE(fileExists(demo.inf + ".bak"));
}

TEST(Cli, HiddenSegmentsAndLoneVobIdsAreRefusedUnderTheHideSwitch)
{
    TempFolder folder;
    ProjectFilesBuilder files;
    files.add(1, 1, 1, 20000, 5000);
    files.add(1, 2, 1, 20, 5000); // 0.05 % of the target: hidden
    files.add(2, 1, 1, 20000, 5000);
    const std::string inf = files.writeTo(folder);

    struct Case {
        std::vector<std::string> args;
        int status;
        const char *err;
    };
    const Case cases[] = {
        {{"--bitrate", "1:2=4000"}, 1, "is hidden"},
        {{"--hide", "off", "--bitrate", "1:2=4000"}, 0, ""},
        {{"--link-all", "1:1"}, 1, "This VobID can't be linked\nIt's the only VobID of the VTS"},
        {{"--link-all", "1:1", "--hide", "off"}, 0, ""},
        {{"--link", "1:1,1:2"}, 1, "It's the only VobID of the VTS"},
        {{"--link", "1:2,1:1"}, 1, "is hidden"},
        {{"--link-all", "2:1", "--hide", "off"}, 1, "It's the only VobID of the VTS"},
    };
    for (const Case &c : cases) {
        std::vector<std::string> args = {"plan", inf};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, c.status) << c.args[0] << " " << c.args[1] << "\n" << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
}

TEST(Cli, OperationsDoWhatTheMainWindowDoes)
{
    Demo demo;
    const Json p = jsonOf(runCli({"show", demo.inf, "--json"}));
    const int a = find(p, [](const Json &s) { return isLarge(s) && s["vbrMode"].get<bool>(); });
    const int b = find(p, [&](const Json &s) { return isLarge(s) && s["index"] != a; });
    const int opv = find(p, [](const Json &s) { return isLarge(s) && !s["vbrMode"].get<bool>(); });
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    ASSERT_GE(opv, 0);
    std::vector<int> sameTitleSet;
    for (const Json &s : p["segments"])
        if (s["vts"] == p["segments"][std::size_t(a)]["vts"] && s["listed"].get<bool>())
            sameTitleSet.push_back(s["index"].get<int>());
    ASSERT_GE(sameTitleSet.size(), 2u);
    int tweakCell = 0;
    while (!p["segments"][std::size_t(a)]["cells"][std::size_t(tweakCell)]["significant"].get<bool>())
        ++tweakCell;
    const int cellRate = p["segments"][std::size_t(a)]["cells"][std::size_t(tweakCell)]["bitrate"].get<int>();

    const auto untickAndType = [](Window &w, int segment, unsigned kbps) {
        w.select(segment);
        w.window.autosizedBox = false;
        w.window.autosizedClicked();
        w.window.bitrateValue = kbps;
        w.window.bitrateTyped();
    };
    struct Case {
        const char *name;
        std::vector<std::string> ops;
        std::function<void(Window &)> same;
    };
    const Case cases[] = {
        {"bitrate", {"--bitrate", seg(a) + "=3000"}, [&](Window &w) { untickAndType(w, a, 3000); }},
        {"bitrate equal to the average only unticks",
         {"--bitrate", seg(a) + "=" + p["segments"][std::size_t(a)]["averageBitrate"].dump()},
         [&](Window &w) { untickAndType(w, a, p["segments"][std::size_t(a)]["averageBitrate"].get<unsigned>()); }},
        {"reduction",
         {"--reduction", seg(b) + "=33.5"},
         [&](Window &w) {
             w.select(b);
             w.window.autosizedBox = false;
             w.window.autosizedClicked();
             w.window.reductionChosen(33.5);
         }},
        {"autosized again",
         {"--bitrate", seg(a) + "=3000", "--autosized", seg(a)},
         [&](Window &w) {
             untickAndType(w, a, 3000);
             w.window.autosizedBox = true;
             w.window.autosizedClicked();
         }},
        {"opv then vbr",
         {"--opv", seg(a), "--vbr", seg(opv)},
         [&](Window &w) {
             w.select(a);
             w.window.opvClicked();
             w.select(opv);
             w.window.vbrClicked();
         }},
        {"tweak",
         {"--bitrate", seg(a) + "=3000", "--tweak", seg(a) + "/" + std::to_string(tweakCell) + "=6000"},
         [&](Window &w) {
             untickAndType(w, a, 3000);
             Segment &s = w.project.segment(a);
             s.cells[std::size_t(tweakCell)].tweaked = true;
             s.tweakCell(tweakCell, 6000, w.project.targetTotalSize - w.project.currentTotalSize());
             w.window.afterTweakCells();
         }},
        {"tweak at the cell's own bitrate only unlocks it",
         {"--bitrate", seg(a) + "=" + p["segments"][std::size_t(a)]["averageBitrate"].dump(), "--tweak",
          seg(a) + "/" + std::to_string(tweakCell) + "=" + std::to_string(cellRate)},
         [&](Window &w) {
             untickAndType(w, a, p["segments"][std::size_t(a)]["averageBitrate"].get<unsigned>());
             w.project.segment(a).cells[std::size_t(tweakCell)].tweaked = true;
             w.window.afterTweakCells();
         }},
        {"output percent",
         {"--output-percent", "96.5"},
         [&](Window &w) {
             w.project.setOutputSizePercent(96.5);
             w.window.afterGlobalOptions();
         }},
        {"reset after a plan",
         {"--bitrate", seg(a) + "=3000", "--reset"},
         [&](Window &w) {
             untickAndType(w, a, 3000);
             w.window.resetBitrates();
         }},
        {"link selected",
         {"--link", seg(sameTitleSet.back()) + "," + seg(sameTitleSet.front())},
         [&](Window &w) {
             planning::linkSegments(w.project, {sameTitleSet.front(), sameTitleSet.back()});
             w.window.afterLinkVobIds();
         }},
        {"link all",
         {"--link-all", seg(a)},
         [&](Window &w) {
             planning::linkAllInTitleSet(w.project, planning::linkTitleSet(w.project.segment(a)), true);
             w.window.afterLinkVobIds();
         }},
    };
    for (const Case &c : cases) {
        std::vector<std::string> args = {"plan", demo.inf, "--json"};
        args.insert(args.end(), c.ops.begin(), c.ops.end());
        const Json planned = jsonOf(runCli(args));
        Window here(demo.inf);
        c.same(here);
        EXPECT_EQ(planOf(planned), planOf(here.project)) << c.name;
    }
}

TEST(Cli, SavedPlanShowsAgainAndTouchesOnlyManagedValues)
{
    Demo demo;
    const Json p = jsonOf(runCli({"show", demo.inf, "--json"}));
    const int a = find(p, [](const Json &s) { return isLarge(s) && s["vbrMode"].get<bool>(); });
    ASSERT_GE(a, 0);
    const std::string ecl = demo.inf.substr(0, demo.inf.size() - 3) + "ECL";
    const std::string originalInf = readBytes(demo.inf);
    const std::string originalEcl = readBytes(ecl);

    const CliRun saved = runCli({"plan", demo.inf, "--bitrate", seg(a) + "=2500", "--output-percent", "97", "--json",
                              "--save", "--keep-q"});
    const Json after = jsonOf(saved);
    EXPECT_NE(saved.err.find("Settings Saved"), std::string::npos);
    for (const Json &s : after["segments"])
        EXPECT_FALSE(s["replanned"].get<bool>()); // the JSON describes the project after the save
    // Each cell's bitrate is truncated, so the average lands within a step of what was typed.
    EXPECT_NEAR(after["segments"][std::size_t(a)]["averageBitrate"].get<int>(), 2500, 2);

    // Read back, the project has the saved bitrates.
    const Json shown = jsonOf(runCli({"show", demo.inf, "--json"}));
    for (std::size_t i = 0; i < after["segments"].size(); ++i)
        for (std::size_t c = 0; c < after["segments"][i]["cells"].size(); ++c)
            EXPECT_EQ(shown["segments"][i]["cells"][c]["bitrate"], after["segments"][i]["cells"][c]["bitrate"]);
    EXPECT_EQ(readBytes(demo.inf + ".original"), originalInf);
    EXPECT_EQ(readBytes(ecl + ".original"), originalEcl);

    // Line by line, only the reductions of the INF and the bitrate keys of the ECL moved.
    struct File {
        std::string before;
        std::string after;
        std::set<std::string> mayChange;
    };
    const File files[] = {
        {originalInf, readBytes(demo.inf), {"Reduction="}},
        {originalEcl, readBytes(ecl), {"vbr_brate_avg=", "vbr_brate_min=", "vbr_brate_max="}},
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
            EXPECT_TRUE(file.mayChange.count(key)) << before[i] << " -> " << now[i];
            EXPECT_EQ(now[i].substr(0, key.size()), key);
        }
        EXPECT_GT(changed, 0);
    }
}

TEST(Cli, ReplannedOpvSegmentsAreNotSavedWithoutKeepQ)
{
    Demo demo;
    const Json p = jsonOf(runCli({"show", demo.inf, "--json"}));
    const int opv = find(p, [](const Json &s) { return isLarge(s) && !s["vbrMode"].get<bool>(); });
    ASSERT_GE(opv, 0);
    const std::string label = p["segments"][std::size_t(opv)]["label"].get<std::string>();

    const CliRun refused = runCli({"plan", demo.inf, "--bitrate", seg(opv) + "=3000", "--save"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("#" + std::to_string(opv) + " (" + label + ")"), std::string::npos) << refused.err;
    EXPECT_FALSE(fileExists(demo.inf + ".bak"));

    const CliRun kept = runCli({"plan", demo.inf, "--bitrate", seg(opv) + "=3000", "--save", "--keep-q", "--json"});
    const Json after = jsonOf(kept);
    EXPECT_EQ(after["segments"][std::size_t(opv)]["settings"]["opvQFactor"],
              p["segments"][std::size_t(opv)]["settings"]["opvQFactor"]);
    EXPECT_TRUE(fileExists(demo.inf + ".bak"));

    // A plan that replans no OPV segment saves without --keep-q.
    const CliRun plain = runCli({"plan", demo.inf, "--reset", "--save"});
    EXPECT_EQ(plain.status, 0) << plain.err;
}
