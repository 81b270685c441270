#include "ProjectGenerator.h"

#include "common/TextFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::string> readLines(const std::string &path)
{
    std::vector<std::string> lines;
    LineReader reader(path);
    std::string line;
    while (reader.next(line))
        lines.push_back(line);
    return lines;
}

bool startsWith(const std::string &text, const std::string &prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

long long valueAfter(const std::string &line, const std::string &key)
{
    return std::atoll(line.c_str() + key.size());
}

// Every line of the file ends in CR LF, the last one too, and no CR stands alone.
bool hasWindowsLineEnds(const std::string &bytes)
{
    if (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0)
        return false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            return false;
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))
            return false;
    }
    return true;
}

// The ECL items as the program reads them: one per "title=", with its key lines.
struct Item {
    std::string title;
    std::map<std::string, std::string> keys; // key (with "=") -> value

    std::string operator[](const std::string &key) const
    {
        const auto found = keys.find(key);
        return found == keys.end() ? std::string() : found->second;
    }
};

std::vector<Item> readItems(const std::string &eclPath)
{
    std::vector<Item> items;
    for (const std::string &line : readLines(eclPath)) {
        if (startsWith(line, "title=")) {
            items.push_back({line.substr(6), {}});
        } else if (!items.empty()) {
            const auto equals = line.find('=');
            if (equals != std::string::npos)
                items.back().keys[line.substr(0, equals + 1)] = line.substr(equals + 1);
        }
    }
    return items;
}

struct InfCell {
    std::string header;
    int frames = 0;
    std::string reduction;
};

std::vector<InfCell> readInfCells(const std::string &infPath)
{
    std::vector<InfCell> cells;
    for (const std::string &line : readLines(infPath)) {
        if (startsWith(line, "[V"))
            cells.push_back({line, 0, {}});
        else if (!cells.empty() && startsWith(line, "Frames="))
            cells.back().frames = int(valueAfter(line, "Frames="));
        else if (!cells.empty() && startsWith(line, "Reduction="))
            cells.back().reduction = line.substr(10);
    }
    return cells;
}

// A command line for popen()/system(). On Windows cmd.exe /c drops the first and the last quote
// of a line that starts with one, so the whole line gets a pair of its own.
std::string shellCommand(const std::string &line)
{
#ifdef _WIN32
    return "\"" + line + "\"";
#else
    return line;
#endif
}

#ifdef _WIN32
const char *const discardErrors = " 2>NUL";
#else
const char *const discardErrors = " 2>/dev/null";
#endif

std::string generated(const GeneratorOptions &options, const TempFolder &folder, const std::string &name = "p")
{
    std::string infPath;
    std::string error;
    EXPECT_TRUE(generateProject(options, folder.file(name), &infPath, &error)) << error;
    return infPath;
}

std::string eclBeside(const std::string &infPath)
{
    return infPath.substr(0, infPath.size() - 3) + "ECL";
}

GeneratorOptions variant(int cceType, bool qCharF, bool decimalComma)
{
    GeneratorOptions o = demoOptions(11);
    o.cceType = cceType;
    o.qCharF = qCharF;
    o.decimalComma = decimalComma;
    return o;
}

struct NamedOptions {
    const char *name;
    GeneratorOptions options;
};

std::vector<NamedOptions> someProjects()
{
    return {
        {"demo", demoOptions(1)},
        {"stress of 50 segments", stressOptions(2, 50, 6)},
        {"CCE SP", variant(0, false, false)},
        {"CCE SP with q_char_f", variant(1, true, false)},
        {"other encoder, decimal comma", variant(2, false, true)},
    };
}

} // namespace

TEST(ProjectGenerator, SameSeedGivesSameFilesAndAnotherSeedDiffers)
{
    TempFolder folder;
    const std::string a = generated(demoOptions(5), folder, "a");
    const std::string b = generated(demoOptions(5), folder, "b");
    const std::string c = generated(demoOptions(6), folder, "c");

    EXPECT_EQ(readBytes(a), readBytes(b));
    // the ECL names the scripts by their full path, so only the folder may differ
    std::string eclB = readBytes(eclBeside(b));
    for (std::size_t at; (at = eclB.find(folder.file("b"))) != std::string::npos;)
        eclB.replace(at, folder.file("b").size(), folder.file("a"));
    EXPECT_EQ(readBytes(eclBeside(a)), eclB);
    EXPECT_NE(readBytes(a), readBytes(c));
}

TEST(ProjectGenerator, WritesOneItemAndOneScriptPerCellWithWindowsLineEnds)
{
    for (const NamedOptions &project : someProjects()) {
        SCOPED_TRACE(project.name);
        TempFolder folder;
        const std::string inf = generated(project.options, folder);
        const std::vector<InfCell> cells = readInfCells(inf);
        const std::vector<Item> items = readItems(eclBeside(inf));

        EXPECT_TRUE(hasWindowsLineEnds(readBytes(inf)));
        EXPECT_TRUE(hasWindowsLineEnds(readBytes(eclBeside(inf))));
        ASSERT_EQ(cells.size(), items.size());
        std::set<std::string> scripts;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            // the INF section and the ECL item of a cell carry the same identity
            EXPECT_EQ(cells[i].header.size(), 17u) << cells[i].header;
            EXPECT_EQ(cells[i].header, "[" + items[i].title + "]");
            const std::string script = items[i]["name="];
            EXPECT_TRUE(std::filesystem::path(script).is_absolute()) << script;
            EXPECT_EQ(std::filesystem::path(script).parent_path(), std::filesystem::path(folder.file("p")));
            const std::vector<std::string> lines = readLines(script);
            ASSERT_GE(lines.size(), 2u) << script;
            EXPECT_TRUE(startsWith(lines[0], "Mpeg2Source(\"")) << lines[0];
            EXPECT_TRUE(startsWith(lines[1], "Trim(")) << lines[1];
            EXPECT_TRUE(hasWindowsLineEnds(readBytes(script))) << script;
            scripts.insert(script);
        }
        EXPECT_EQ(scripts.size(), cells.size()) << "each cell has a script of its own";

        std::size_t avsFiles = 0;
        for (const auto &entry : std::filesystem::directory_iterator(folder.file("p")))
            avsFiles += entry.path().extension() == ".avs";
        EXPECT_EQ(avsFiles, cells.size());
    }
}

TEST(ProjectGenerator, StressSizeHasTheAskedSegmentsAndCells)
{
    struct Case {
        int segments;
        int cellsPerSegment;
        int expectedTitleSets;
    };
    const Case cases[] = {
        {50, 6, 1},     // fewer than 30 segments a title set: one title set
        {120, 2, 4},
        {3000, 1, 99},  // never more than 99 title sets
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.segments);
        TempFolder folder;
        GeneratorOptions options = stressOptions(3, c.segments, c.cellsPerSegment);
        options.writeScripts = false; // only the INF is looked at
        const std::string inf = generated(options, folder);
        std::set<std::string> segments;
        std::set<std::string> titleSets;
        for (const InfCell &cell : readInfCells(inf)) {
            segments.insert(cell.header.substr(2, 2) + cell.header.substr(8, 5)); // VTS and Vob-ID
            titleSets.insert(cell.header.substr(2, 2));
        }
        EXPECT_EQ(int(segments.size()), c.segments);
        EXPECT_EQ(int(readInfCells(inf).size()), c.segments * c.cellsPerSegment);
        EXPECT_EQ(int(titleSets.size()), c.expectedTitleSets);
        int vtsLines = 0;
        for (const std::string &line : readLines(inf))
            vtsLines += startsWith(line, "VTS_");
        EXPECT_EQ(vtsLines, c.expectedTitleSets);
    }
}

TEST(ProjectGenerator, DemoHasShortCellsAnOpvSegmentAndCce270WhateverTheSeed)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        TempFolder folder;
        const std::string inf = generated(demoOptions(seed), folder);
        const std::vector<std::string> lines = readLines(inf);
        EXPECT_NE(std::find(lines.begin(), lines.end(), "CCEType=3"), lines.end());
        EXPECT_NE(std::find(lines.begin(), lines.end(), "mode=1"), lines.end());

        const std::vector<InfCell> cells = readInfCells(inf);
        std::vector<Item> items = readItems(eclBeside(inf));
        ASSERT_EQ(cells.size(), items.size());
        EXPECT_GE(cells.size(), 14u);
        EXPECT_LE(cells.size(), 28u);

        int shortCells = 0;
        bool opvSegment = false;
        bool shortCellInOtherMode = false;
        bool belowFloor = false;
        std::map<std::string, std::string> segmentMode; // VTS + Vob-ID -> mode code of its long cells
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const std::string segment = items[i].title.substr(0, 2) + items[i].title.substr(6, 5);
            if (cells[i].frames > 10)
                segmentMode[segment] = items[i]["video_type="];
            opvSegment |= cells[i].frames > 10 && items[i]["video_type="] == "4";
            belowFloor |= std::atoi(items[i]["vbr_brate_avg="].c_str()) < 500;
        }
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const std::string segment = items[i].title.substr(0, 2) + items[i].title.substr(6, 5);
            if (cells[i].frames <= 10) {
                ++shortCells;
                shortCellInOtherMode |= segmentMode.count(segment) && segmentMode[segment] != items[i]["video_type="];
            }
        }
        EXPECT_GE(shortCells, 2);
        EXPECT_TRUE(opvSegment);
        EXPECT_TRUE(shortCellInOtherMode);
        EXPECT_TRUE(belowFloor);
    }
}

TEST(ProjectGenerator, SizesLeaveAPositiveOverheadAndReductionsStayInRange)
{
    for (const NamedOptions &project : someProjects()) {
        SCOPED_TRACE(project.name);
        TempFolder folder;
        const std::string inf = generated(project.options, folder);
        long long original = 0, excluded = 0, titleSets = 0;
        for (const std::string &line : readLines(inf)) {
            if (startsWith(line, "Original_Size="))
                original = valueAfter(line, "Original_Size=");
            else if (startsWith(line, "Excluded_Audio_Sub_Size="))
                excluded = valueAfter(line, "Excluded_Audio_Sub_Size=");
            else if (startsWith(line, "VTS_"))
                titleSets += std::atoll(line.c_str() + line.find('=') + 1);
        }
        const long long overhead = original - titleSets - excluded;
        EXPECT_GT(overhead, 0);
        EXPECT_LT(overhead, original / 10 + 30000) << "menus and VIDEO_TS are a small part of a disc";

        const char mark = project.options.decimalComma ? ',' : '.';
        for (const InfCell &cell : readInfCells(inf)) {
            ASSERT_GE(cell.reduction.size(), 4u);
            EXPECT_EQ(cell.reduction[cell.reduction.size() - 2], mark) << cell.reduction;
            std::string number = cell.reduction;
            std::replace(number.begin(), number.end(), ',', '.');
            const double value = std::atof(number.c_str());
            EXPECT_GE(value, 1.0);
            EXPECT_LE(value, 100.0);
        }
    }
}

TEST(ProjectGenerator, CommandLineWritesTheProjectAndPrintsTheInfPath)
{
    TempFolder folder;
    const std::string target = folder.file("cli project");
    const std::string command = std::string("\"") + TAVRO_MAKE_PROJECT +
                                "\" --seed 3 --size 12 --cells-per-segment 2 \"" + target + "\"";
    std::FILE *pipe = popen(shellCommand(command).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string printed;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        printed += buffer;
    EXPECT_EQ(pclose(pipe), 0);

    const std::string inf = fromFsPath(toFsPath(target) / "Rebuilder.INF");
    EXPECT_EQ(printed, inf + "\n");
    EXPECT_EQ(readInfCells(inf).size(), 24u);
    // the tool and the library write the same project for the same options
    const std::string library = generated(stressOptions(3, 12, 2), folder);
    EXPECT_EQ(readBytes(inf), readBytes(library));

    const char *refused[] = {"--size many", "--cells-per-segment 0", "--cce-type 4", "--frobnicate"};
    for (const char *arguments : refused) {
        SCOPED_TRACE(arguments);
        const std::string bad = std::string("\"") + TAVRO_MAKE_PROJECT + "\" " + arguments + " \"" +
                                folder.file("refused") + "\"" + discardErrors;
        EXPECT_NE(std::system(shellCommand(bad).c_str()), 0);
        EXPECT_FALSE(std::filesystem::exists(folder.file("refused")));
    }
}
