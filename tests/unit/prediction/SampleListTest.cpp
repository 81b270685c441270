#include "PredictionFixture.h"

#include "ProjectGenerator.h"
#include "common/TextFile.h"
#include "prediction/SampleList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::size_t countStarting(const std::vector<std::string> &lines, const std::string &prefix)
{
    return std::size_t(std::count_if(lines.begin(), lines.end(),
                                     [&](const std::string &line) { return line.rfind(prefix, 0) == 0; }));
}

// The line right after the first one that begins with `prefix`, or "<none>".
std::string after(const std::vector<std::string> &lines, const std::string &prefix)
{
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].rfind(prefix, 0) == 0)
            return lines[i + 1];
    return "<none>";
}

} // namespace

TEST(SampleList, RewritesAGeneratedItemForEveryEncoderVersion)
{
    struct Case {
        int cceType;
        bool qCharF;
        const char *modeLine; // OPV in the encoder's own code
        bool cce270;
    };
    const Case cases[] = {
        {0, false, "vmode=0", false},
        {1, false, "video_type=2", false},
        {1, true, "video_type=4", false}, // "q_char_f=" makes it the newer SP kind
        {2, false, "vmode=0", false},
        {3, false, "video_type=4", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(cformat("CCE type %d%s", c.cceType, c.qCharF ? " with q_char_f" : ""));
        TempFolder folder;
        std::string inf;
        ASSERT_TRUE(generateProject(variantOptions(7, c.cceType, c.qCharF, false), folder.file("p"), &inf));
        Project project;
        FakeDesktop desktop;
        ASSERT_TRUE(project.load(inf, desktop));
        std::string firstEclLine;
        LineReader(project.eclPath()).next(firstEclLine);

        for (int index = 0; index <= project.lastSegmentIndex(); ++index) {
            SCOPED_TRACE(index);
            const Segment &segment = project.segment(index);
            const EncoderSettings &s = segment.settings;
            const Cell &first = segment.cells.front();
            const SampleFiles files = sampleFilesOf(project, index);
            const auto list = writeSampleList(project, index, files, 504, desktop);
            ASSERT_TRUE(list);
            const std::vector<std::string> &lines = *list;
            const std::string title = cformat("title=V%02d%04d%05d%03d", first.vts, first.subId, first.vobId, first.cellId);
            ASSERT_GT(lines.size(), 4u);
            EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4),
                      (std::vector<std::string>{firstEclLine, "", "[item]", title}));
            EXPECT_EQ(countStarting(lines, "title="), 1u) << "only the first cell's item";
            EXPECT_EQ(countStarting(std::vector<std::string>(lines.begin() + 3, lines.end()), "[item]"), 0u);

            const std::vector<std::string> mustHave = {
                "name=" + files.script, "vid_file0=" + files.output, "frame_last=504", c.modeLine,
                cformat("opv_brate_max=%d", s.maxBitrate), cformat("vbr_bias=%d", s.vbrBias),
                cformat("h_filter=%d", s.hFilter),
            };
            for (const std::string &line : mustHave)
                EXPECT_EQ(std::count(lines.begin(), lines.end(), line), 1) << line;
            // "gop_nm=" takes the "gop_hdr=" line after it and writes its own
            EXPECT_EQ(after(lines, "gop_nm="), cformat("gop_hdr=%d", s.gopHeader));
            EXPECT_EQ(countStarting(lines, "gop_hdr="), 1u);
            if (c.cce270) {
                // kept under their own keys, so the sample is encoded at the segment's precision
                EXPECT_EQ(after(lines, "intra_dc_precision_9_max="),
                          cformat("intra_dc_precision_10_max=%d", s.intraDcPrecision > 1 ? 113 : 1));
                EXPECT_EQ(countStarting(lines, cformat("intra_dc_precision_9_max=%d", s.intraDcPrecision > 0 ? 113 : 1)), 1u);
                EXPECT_EQ(after(lines, "h_filter="), cformat("h_filter_idx=%d", s.hFilterIndex / 4));
                EXPECT_EQ(after(lines, "h_filter_idx="), cformat("h_filter_idx2=%d", s.hFilterIndex % 4));
                EXPECT_EQ(after(lines, "dither="), cformat("dither_Y_max=%d", s.ditherMax));
            } else {
                EXPECT_EQ(countStarting(lines, cformat("intra_dc_prec=%d", s.intraDcPrecision)), 1u);
                EXPECT_EQ(after(lines, "dither="), cformat("dither_max=%d", s.ditherMax));
            }
            // a custom matrix follows its index once, as the segment holds it
            EXPECT_EQ(countStarting(lines, "qmat="), s.qmatIndex == -1 ? 1u : 0u);
            if (s.qmatIndex == -1) {
                EXPECT_EQ(after(lines, "qmat="), s.qmatLines[0]);
            }
        }
        EXPECT_TRUE(desktop.messages.empty());
    }
}

TEST(SampleList, LinesThatTheSampleSetsForItselfAndTheEndsOfTheItem)
{
    PredictionProject p({5000, 5000});
    Project &project = p.project;
    project.segment(0).settings.intraDcPrecision = 1;
    project.segment(0).settings.gopHeader = 12;
    const Cell &first = project.segment(0).cells[0];
    const std::string title = cformat("title=V%02d%04d%05d%03d", first.vts, first.subId, first.vobId, first.cellId);
    p.folder.write("Rebuilder.ECL", crlf({"[CCE]", "[item]", title, "vid_file1=old.m2v", "vaf_out=1", "encode_last=-1",
                                          "fix_gop_length=0", "vmode=2", "intra_dc_prec=0", "gop_nm=4", "anything=1",
                                          "vbr_brate_avg=5000", "opv_q_factor=30", "[item]", "title=V01000100009001",
                                          "name=other.avs"}));
    const SampleFiles files = sampleFilesOf(project, 0);
    const auto lines = writeSampleList(project, 0, files, 99, p.desktop);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (std::vector<std::string>{"[CCE]", "", "[item]", title, "vid_file1=" + files.output, "vaf_out=0",
                                                "encode_last=99", "fix_gop_length=1", "vmode=0", "intra_dc_prec_9_max=113",
                                                "intra_dc_prec_10_max=1", "gop_nm=4", "gop_hdr=12",
                                                "vbr_brate_avg=5000", "opv_q_factor=30"}));

    // Every trial writes the list with its own Q factor.
    ASSERT_TRUE(writeTrialList(*lines, p.folder.file("trial.ecl"), 27));
    EXPECT_NE(readBytes(p.folder.file("trial.ecl")).find("\r\nopv_q_factor=27\r\n"), std::string::npos);

    // A segment without an item keeps the three opening lines.
    EXPECT_EQ(writeSampleList(project, 1, files, 99, p.desktop)->size(), 3u);

    p.folder.write("Rebuilder.ECL", "");
    EXPECT_FALSE(writeSampleList(project, 0, files, 99, p.desktop));
    EXPECT_EQ(p.desktop.lastMessage(), "Wrong format for file '" + project.eclPath() + "'");
    std::remove(project.eclPath().c_str());
    EXPECT_FALSE(writeSampleList(project, 0, files, 99, p.desktop));
    EXPECT_EQ(p.desktop.lastMessage(), "Could not open '" + project.eclPath() + "' for reading");
}

TEST(SampleList, PredictionFolderIsAbsoluteBesideTheProject)
{
    const std::string folder = predictionFolder("Rebuilder.INF"); // a project opened by a bare name
    EXPECT_TRUE(toFsPath(folder).is_absolute()) << folder;
    EXPECT_EQ(toFsPath(folder), fs::current_path() / "prediction");

    TempFolder scratch;
    EXPECT_EQ(predictionFolder(scratch.file("Rebuilder.INF")), scratch.file("prediction"));
    const SampleFiles files = SampleFiles::of(scratch.file("prediction"), 1, 3);
    EXPECT_EQ(files.script, fromFsPath(toFsPath(scratch.file("prediction")) / "VTS_01_VobID_0003.avs"));
    EXPECT_EQ(files.list, fromFsPath(toFsPath(scratch.file("prediction")) / "VTS_01_VobID_0003.ecl"));
    EXPECT_EQ(files.output, fromFsPath(toFsPath(scratch.file("prediction")) / "VTS_01_VobID_0003.m2v"));
}

TEST(SampleList, PrepareFolderEmptiesOnlyPlainFilesAndCreatesAMissingFolder)
{
    TempFolder scratch;
    FakeDesktop desktop;
    const std::string folder = scratch.file("prediction");
    EXPECT_TRUE(prepareFolder(folder, desktop)); // created
    EXPECT_TRUE(fs::is_directory(folder));
    scratch.write("prediction/VTS_01_VobID_0001.m2v", "x");
    scratch.write("prediction/.keep", "x");
    fs::create_directory(folder + "/sub");
    scratch.write("prediction/sub/inside.txt", "x");
    EXPECT_TRUE(prepareFolder(folder, desktop));
    EXPECT_FALSE(fileExists(folder + "/VTS_01_VobID_0001.m2v"));
    EXPECT_TRUE(fileExists(folder + "/.keep"));
    EXPECT_TRUE(fileExists(folder + "/sub/inside.txt"));
    EXPECT_TRUE(desktop.messages.empty());

    // A file where the folder should be cannot be enumerated.
    const std::string blocked = scratch.write("blocked", "x");
    EXPECT_FALSE(prepareFolder(blocked, desktop));
    EXPECT_EQ(desktop.lastMessage(), "Error enumerating directory '" + blocked + "'");
}

TEST(SampleList, FileSizeInWholeKilobytes)
{
    TempFolder scratch;
    FakeDesktop desktop;
    EXPECT_EQ(fileSizeKb(scratch.write("a", std::string(1023, 'x')), desktop), 0); // ends a pass as a failure
    EXPECT_EQ(fileSizeKb(scratch.write("b", std::string(2049, 'x')), desktop), 2);
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(fileSizeKb(scratch.file("missing.m2v"), desktop), 0);
    EXPECT_EQ(desktop.lastMessage(), "Could not open '" + scratch.file("missing.m2v") + "' for reading");
}
