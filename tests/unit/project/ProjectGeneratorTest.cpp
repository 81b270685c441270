#include "ProjectGenerator.h"

#include "common/Format.h"
#include "common/TextFile.h"
#include "project/Project.h"
#include "support/RunCommand.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

std::size_t occurrences(const std::string &text, const std::string &what)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

// Every line of the file ends in CR LF, the last one too, and no CR or LF stands alone.
bool hasWindowsLineEnds(const std::string &bytes)
{
    const std::size_t pairs = occurrences(bytes, "\r\n");
    return bytes.ends_with("\r\n") && occurrences(bytes, "\r") == pairs && occurrences(bytes, "\n") == pairs;
}

// The INF cell sections ("[V...") or the ECL items ("title=") as the program reads them: the
// opening line and the key lines after it.
struct Block {
    std::string head;
    std::map<std::string, std::string> keys; // key (with "=") -> value

    std::string operator[](const std::string &key) const
    {
        const auto found = keys.find(key);
        return found == keys.end() ? std::string() : found->second;
    }
    std::string segment() const { return head.substr(2, 2) + head.substr(8, 5); } // INF: VTS and Vob-ID
};

std::vector<Block> readBlocks(const std::string &path, const std::string &opener)
{
    std::vector<Block> blocks;
    LineReader reader(path);
    for (std::string line; reader.next(line);) {
        const auto equals = line.find('=');
        if (line.starts_with(opener))
            blocks.push_back({line, {}});
        else if (!blocks.empty() && equals != std::string::npos)
            blocks.back().keys[line.substr(0, equals + 1)] = line.substr(equals + 1);
    }
    return blocks;
}


std::string generated(const GeneratorOptions &options, const TempFolder &folder, const std::string &name = "p")
{
    std::string infPath;
    std::string error;
    EXPECT_TRUE(generateProject(options, folder.file(name), &infPath, &error)) << error;
    return infPath;
}

std::string eclBeside(const std::string &infPath)
{
    Project project;
    project.infPath = infPath;
    return project.eclPath();
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
    const std::pair<const char *, GeneratorOptions> projects[] = {
        {"demo", demoOptions(1)},
        {"stress of 50 segments", stressOptions(2, 50, 6)},
        {"CCE SP", variantOptions(11, 0, false, false)},
        {"CCE SP with q_char_f", variantOptions(11, 1, true, false)},
        {"other encoder, decimal comma", variantOptions(11, 2, false, true)},
    };
    for (const auto &[name, options] : projects) {
        SCOPED_TRACE(name);
        TempFolder folder;
        const std::string inf = generated(options, folder);
        const std::vector<Block> cells = readBlocks(inf, "[V");
        const std::vector<Block> items = readBlocks(eclBeside(inf), "title=");
        EXPECT_TRUE(hasWindowsLineEnds(readBytes(inf)));
        EXPECT_TRUE(hasWindowsLineEnds(readBytes(eclBeside(inf))));
        ASSERT_EQ(cells.size(), items.size());
        std::set<std::string> scripts;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            // the INF section and the ECL item of a cell carry the same identity
            EXPECT_EQ(cells[i].head.size(), 17u) << cells[i].head;
            EXPECT_EQ(cells[i].head, "[" + items[i].head.substr(6) + "]");
            // the project's decimal mark before the last digit of a reduction (the round trip
            // checks their range)
            const std::string reduction = cells[i]["Reduction="];
            ASSERT_GE(reduction.size(), 3u);
            EXPECT_EQ(reduction[reduction.size() - 2], options.decimalComma ? ',' : '.') << reduction;
            // the script, by its absolute path in the project folder: a source line, then a Trim line
            const std::string script = items[i]["name="];
            EXPECT_EQ(std::filesystem::path(script).parent_path(), std::filesystem::path(folder.file("p")));
            const std::string text = readBytes(script);
            EXPECT_TRUE(text.starts_with("Mpeg2Source(\"") && text.find("\r\nTrim(") == text.find("\r\n")) << script;
            EXPECT_TRUE(hasWindowsLineEnds(text)) << script;
            scripts.insert(script);
        }
        std::size_t avsFiles = 0;
        for (const auto &entry : std::filesystem::directory_iterator(folder.file("p")))
            avsFiles += entry.path().extension() == ".avs";
        EXPECT_EQ(scripts.size(), cells.size()) << "each cell has a script of its own";
        EXPECT_EQ(avsFiles, cells.size());
    }
}

// The asked segments and cells of a stress project are checked by the round trip; here the
// title sets, which a DVD numbers with two digits.
TEST(ProjectGenerator, StressProjectHasAtMost99TitleSets)
{
    TempFolder folder;
    GeneratorOptions options = stressOptions(3, 3000, 1);
    options.writeScripts = false; // only the INF is looked at
    EXPECT_EQ(occurrences(readBytes(generated(options, folder)), "\r\nVTS_"), 99u);
}

TEST(ProjectGenerator, DemoHasShortCellsAnOpvSegmentAndCce270WhateverTheSeed)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        TempFolder folder;
        const std::string inf = generated(demoOptions(seed), folder);
        EXPECT_NE(readBytes(inf).find("\r\nCCEType=3\r\n"), std::string::npos);
        EXPECT_NE(readBytes(inf).find("\r\nmode=1\r\n"), std::string::npos);
        const std::vector<Block> cells = readBlocks(inf, "[V");
        const std::vector<Block> items = readBlocks(eclBeside(inf), "title=");
        ASSERT_EQ(cells.size(), items.size());
        EXPECT_TRUE(cells.size() >= 14 && cells.size() <= 28) << cells.size();

        const auto isShort = [&](std::size_t i) { return std::atoi(cells[i]["Frames="].c_str()) <= 10; };
        const auto isLastOfSegment = [&](std::size_t i) {
            return i + 1 == cells.size() || cells[i + 1].segment() != cells[i].segment();
        };
        int shortCells = 0;
        bool opvSegment = false, shortCellInOtherMode = false, belowFloor = false;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            shortCells += isShort(i);
            opvSegment |= !isShort(i) && items[i]["video_type="] == "4";
            belowFloor |= std::atoi(items[i]["vbr_brate_avg="].c_str()) < 500;
            // a short cell in the other mode: the reader takes a segment's mode from its last item
            for (std::size_t j = i + 1; j < cells.size(); ++j)
                shortCellInOtherMode |= isShort(i) && isLastOfSegment(j) && cells[i].segment() == cells[j].segment()
                                        && items[i]["video_type="] != items[j]["video_type="];
        }
        EXPECT_GE(shortCells, 2);
        EXPECT_TRUE(opvSegment);
        EXPECT_TRUE(shortCellInOtherMode);
        EXPECT_TRUE(belowFloor);
    }
}

TEST(ProjectGenerator, CommandLineWritesTheProjectAndPrintsTheInfPath)
{
    TempFolder folder;
    const std::string target = folder.file("cli project");
    const std::string tool = std::string("\"") + TAVRO_MAKE_PROJECT + "\" ";
    const CommandOutput run = runCommand(tool + "--seed 3 --size 12 --cells-per-segment 2 \"" + target + "\"");
    EXPECT_EQ(run.status, 0);

    const std::string inf = fromFsPath(toFsPath(target) / "Rebuilder.INF");
    EXPECT_EQ(run.printed, inf + "\n");
    // the tool and the library write the same project for the same options
    EXPECT_EQ(readBytes(inf), readBytes(generated(stressOptions(3, 12, 2), folder)));

    for (const char *arguments : {"--size many", "--cells-per-segment 0", "--cce-type 4", "--frobnicate"}) {
        SCOPED_TRACE(arguments);
        const std::string refused = folder.file("refused");
        EXPECT_NE(runCommand(tool + arguments + " \"" + refused + "\"" + discardErrors).status, 0);
        EXPECT_FALSE(std::filesystem::exists(refused));
    }
}

// A media project's clips must hold exactly the frames its cells' Trim lines count across the
// title set, or the encodes of a benchmark would take the wrong pictures.
TEST(ProjectGenerator, MediaClipsHoldTheFramesTheCellScriptsTrim)
{
    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        TempFolder folder;
        std::string inf;
        std::vector<MediaClip> clips;
        ASSERT_TRUE(generateProject(mediaOptions(seed), folder.path(), &inf, nullptr, &clips));
        ASSERT_EQ(clips.size(), 2u);
        const std::vector<Block> cells = readBlocks(inf, "[V");
        const std::vector<Block> items = readBlocks(eclBeside(inf), "title=");
        ASSERT_EQ(cells.size(), items.size());

        std::map<int, long long> nextFrame;           // by title set
        std::map<std::string, long long> segmentFrames; // by VTS and Vob-ID
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const int vts = std::atoi(cells[i].head.substr(2, 2).c_str());
            const MediaClip &clip = clips[std::size_t(vts - 1)];
            const long long frames = std::atoll(cells[i]["Frames="].c_str());
            std::vector<std::string> script;
            LineReader reader(items[i]["name="]);
            for (std::string line; reader.next(line);)
                script.push_back(line);
            ASSERT_GE(script.size(), 2u); // and perhaps a filter line
            EXPECT_EQ(script[0], "FFVideoSource(\"" + clip.path + "\")");
            const long long first = nextFrame[vts];
            EXPECT_EQ(script[1], cformat("Trim(%lld,%lld)", first, first + frames - 1));
            nextFrame[vts] += frames;
            segmentFrames[cells[i].segment()] += frames;
            EXPECT_EQ(cells[i]["Frame_Rate_Code="], "4"); // the clips' 29.97 fps
            EXPECT_EQ(items[i]["video_type="], "4");      // every segment OPV
        }
        long long cuts = 0;
        for (const MediaClip &clip : clips) {
            EXPECT_EQ(clip.frames, nextFrame[clip.vts]);
            long long scenes = 0;
            for (const MediaScene &scene : clip.scenes) {
                EXPECT_GT(scene.frames, 0);
                scenes += scene.frames;
            }
            EXPECT_EQ(scenes, clip.frames);
            cuts += static_cast<long long>(clip.scenes.size()) - 1;
        }
        EXPECT_EQ(segmentFrames.size(), 8u);
        for (const auto &[segment, frames] : segmentFrames)
            EXPECT_TRUE(frames >= 1500 && frames <= 20000) << segment << ": " << frames;
        // scenes of at most 2,500 frames over about 60,000 frames: cuts inside many segments
        EXPECT_GE(cuts, 8);
    }
}
