#include "project/Project.h"
#include "project/ProjectFiles.h"
#include "support/FakeDesktop.h"
#include "support/ProjectFilesBuilder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

std::string cceTypeLine(int cceType)
{
    return "CCEType=" + std::to_string(cceType);
}

// One segment of `lines.size()` cells, each item carrying its own lines.
Project loadItems(const TempFolder &folder, int cceType, const std::vector<std::vector<std::string>> &items,
                  const std::vector<int> &frames = {})
{
    ProjectFilesBuilder files;
    files.infHead = {cceTypeLine(cceType)};
    for (std::size_t i = 0; i < items.size(); ++i) {
        files.add(1, 1, int(i) + 1, i < frames.size() ? frames[i] : 1000).itemLines = items[i];
    }
    FakeDesktop desktop;
    Project project;
    EXPECT_TRUE(project.load(files.writeTo(folder), desktop)) << desktop.lastMessage();
    return project;
}

// The lines of the rewritten list after the first item's "vbr_brate_avg=" line.
std::vector<std::string> writtenItemLines(const Project &project, const TempFolder &folder)
{
    const std::string ecl = folder.file("Rebuilder.ECL");
    EXPECT_TRUE(copyTextFile(ecl, ecl + ".bak", true, true));
    EXPECT_EQ(writeEcl(project, ecl + ".bak", ecl), WriteResult::Ok);
    std::vector<std::string> lines;
    const std::string text = readBytes(ecl);
    std::size_t start = text.find("vbr_brate_avg=");
    start = text.find("\r\n", start) + 2;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

} // namespace

TEST(EclReader, EveryManagedKeyFillsItsSetting)
{
    struct Case {
        int cceType;
        std::vector<std::string> lines;
        int EncoderSettings::*field;
        int expected;
    };
    using S = EncoderSettings;
    const Case cases[] = {
        {3, {"gop_hdr=12"}, &S::gopHeader, 12},
        {0, {"intra_dc_prec=2"}, &S::intraDcPrecision, 2},
        {3, {"intra_dc_precision_9_max=113", "intra_dc_precision_10_max=1"}, &S::intraDcPrecision, 1},
        {3, {"intra_dc_precision_9_max=113", "intra_dc_precision_10_max=113"}, &S::intraDcPrecision, 2},
        {3, {"intra_dc_precision_9_max=1", "intra_dc_precision_10_max=1"}, &S::intraDcPrecision, 0},
        {3, {"vbr_pass=3"}, &S::vbrPasses, 3},
        {3, {}, &S::vbrPasses, 0},
        {0, {"quality_prec=7"}, &S::quality, 7},
        {0, {"q_char_f=9"}, &S::quality, 9},
        {3, {"pict_qchar=5"}, &S::quality, 5},
        {3, {}, &S::quality, -1},
        {3, {"vbr_bias=40"}, &S::vbrBias, 40},
        {3, {"opv_q_factor=25"}, &S::opvQFactor, 25},
        {3, {"video_type=16"}, &S::videoType, 16},
        {2, {"vmode=2"}, &S::videoType, 2},
        {3, {"pict_type=2"}, &S::pictType, 2},
        {0, {"filter_off=1"}, &S::filterOff, 1},
        {3, {"filter_on=1"}, &S::filterOff, 0},
        {3, {"filter_on=0"}, &S::filterOff, 1},
        {3, {"pict_complexity=3"}, &S::pictComplexity, 3},
        {3, {"qmat_idx=-1"}, &S::qmatIndex, -1},
        {0, {"use_filter=1", "filter_val=30"}, &S::useFilter, 1},
        {0, {"use_filter=1", "filter_val=30"}, &S::filterValue, 30},
        {3, {"v_filter=1", "v_filter_val=12"}, &S::filterValue, 12},
        {0, {"dither=1", "dither_max=5"}, &S::ditherMax, 5},
        {3, {"dither=1", "dither_max=5"}, &S::ditherMax, 0}, // CCE 2.70 keeps Y and C apart
        {3, {"dither=1", "dither_Y_max=4", "dither_C_max=6"}, &S::ditherMax, 4},
        {3, {"dither=1", "dither_Y_max=4", "dither_C_max=6"}, &S::ditherCMax, 6},
        {3, {"h_filter=1", "h_filter_idx=1", "h_filter_idx2=3"}, &S::hFilterIndex, 7},
        {0, {"h_filter=1", "h_filter_idx=2"}, &S::hFilterIndex, 2},
        {3, {"adjust_q_matrix=1"}, &S::adjustQMatrix, 1},
        {3, {"no_move=1"}, &S::noMove, 1},
        {3, {"progressive=1"}, &S::progressive, 1},
        {3, {"alternate_scan=1"}, &S::alternateScan, 1},
        {3, {"vbr_brate_min=2000"}, &S::minBitrate, 2000},
        {3, {}, &S::minBitrate, 9001},
        {3, {"vbr_brate_max=8000"}, &S::maxBitrate, 8000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lines.empty() ? std::string("(none)") : c.lines[0]);
        TempFolder folder;
        const Project project = loadItems(folder, c.cceType, {c.lines});
        EXPECT_EQ(project.segment(0).settings.*c.field, c.expected);
    }
}

TEST(EclReader, ModeLineSetsVbrPerCceType)
{
    struct Case {
        int cceType;
        std::vector<std::string> lines;
        bool vbr;
        int cceTypeAfter;
    };
    const Case cases[] = {
        {3, {"video_type=16"}, true, 3},
        {0, {"video_type=8"}, true, 0},
        {3, {"video_type=4"}, false, 3},
        {1, {"video_type=4"}, true, 1},
        {0, {"video_type=2"}, false, 0},
        {2, {"vmode=2"}, true, 2},
        {2, {"vmode=0"}, false, 2},
        // "q_char_f=" turns type 1 into -1 from there on: a 4 read before it is VBR, after it not.
        {1, {"video_type=4", "q_char_f=3"}, true, -1},
        {1, {"q_char_f=3", "video_type=4"}, false, -1},
        {1, {"q_char_f=3", "video_type=16"}, true, -1},
    };
    for (const Case &c : cases) {
        TempFolder folder;
        const Project project = loadItems(folder, c.cceType, {c.lines});
        EXPECT_EQ(project.segment(0).vbrMode, c.vbr) << c.lines[0];
        EXPECT_EQ(project.cceType, c.cceTypeAfter) << c.lines[0];
    }
}

TEST(EclReader, SegmentValuesGatheredOverItsItems)
{
    TempFolder folder;
    const Project project = loadItems(folder, 3,
                                      {{"vbr_brate_min=2000", "vbr_brate_max=7000", "progressive=1", "alternate_scan=0",
                                        "vbr_pass=2", "opv_q_factor=10"},
                                       {"progressive=0"},
                                       {"vbr_brate_min=1500", "vbr_brate_max=6000", "progressive=1", "alternate_scan=0",
                                        "opv_q_factor=12"}},
                                      {1000, 10, 11});
    const Segment &segment = project.segment(0);
    EXPECT_EQ(segment.settings.minBitrate, 1500);
    EXPECT_EQ(segment.settings.maxBitrate, 7000);
    EXPECT_EQ(segment.settings.progressive, -1);   // the cells disagree, even when a later one agrees again
    EXPECT_EQ(segment.settings.alternateScan, 0);
    EXPECT_EQ(segment.settings.vbrPasses, 2);      // the last item that carries the key
    EXPECT_EQ(segment.settings.opvQFactor, 12);
    EXPECT_EQ(segment.significantCells, 2);        // the 10-frame cell does not count
    EXPECT_EQ(segment.cells[1].name, "C:\\DVD\\D2V\\V01_002.avs");
    EXPECT_EQ(segment.cells[2].loadedBitrate, 4000);
}

TEST(EclReader, ReadsTheCustomMatrixBlockAndIgnoresKeysBeforeTheFirstItem)
{
    std::vector<std::string> item = {"qmat_idx=-1", "qmat="};
    for (int i = 0; i < 16; ++i)
        item.push_back("8,16,19,22,26,27,29,34 row " + std::to_string(i));
    item.push_back("vbr_pass=3");
    ProjectFilesBuilder files;
    files.infHead = {"CCEType=3"};
    files.eclHead = {"vbr_pass=9", "gop_hdr=12"};
    files.add(1, 1, 1).itemLines = item;
    TempFolder folder;
    FakeDesktop desktop;
    Project project;
    ASSERT_TRUE(project.load(files.writeTo(folder), desktop));
    const EncoderSettings &settings = project.segment(0).settings;
    EXPECT_EQ(settings.qmatLines[0], "8,16,19,22,26,27,29,34 row 0");
    EXPECT_EQ(settings.qmatLines[15], "8,16,19,22,26,27,29,34 row 15");
    EXPECT_EQ(settings.vbrPasses, 3);
    EXPECT_EQ(settings.gopHeader, 15); // the 12 before any item belongs to no segment
}

TEST(EclWriter, WritesEachManagedKeyFromTheModel)
{
    struct Case {
        const char *name;
        int cceType;
        std::vector<std::string> lines;
        std::function<void(Segment &)> change;
        std::vector<std::string> written;
    };
    std::vector<std::string> matrixItem = {"qmat_idx=-1", "qmat="};
    std::vector<std::string> matrixWritten = {"qmat_idx=-1", "qmat="};
    for (int i = 0; i < 16; ++i) {
        matrixItem.push_back("m" + std::to_string(i));
        matrixWritten.push_back("m" + std::to_string(i));
    }
    matrixItem.push_back("after=1");
    matrixWritten.push_back("after=1");
    std::vector<std::string> matrixWithBlockFirst = {"qmat="};
    for (int i = 0; i < 16; ++i)
        matrixWithBlockFirst.push_back("m" + std::to_string(i));
    matrixWithBlockFirst.push_back("qmat_idx=-1");
    const Case cases[] = {
        {"bitrate per cell", 3, {}, [](Segment &s) { s.cells[0].bitrate = 3210; }, {}},
        {"gop 12", 3, {"gop_nm=5", "gop_hdr=15", "x=1"}, [](Segment &s) { s.settings.gopHeader = 12; },
         {"gop_nm=4", "gop_hdr=12", "x=1"}},
        {"gop_nm consumes any next line", 3, {"gop_nm=4", "passes=2", "x=1"}, nullptr, {"gop_nm=5", "gop_hdr=15", "x=1"}},
        {"gop_nm last in the file", 3, {"gop_nm=4"}, [](Segment &s) { s.settings.gopHeader = 12; },
         {"gop_nm=4", "gop_hdr=12"}},
        {"dc precision, CCE 2.70 expands", 3, {"intra_dc_prec=1"}, nullptr,
         {"intra_dc_precision_9_max=113", "intra_dc_precision_10_max=1"}},
        {"dc precision, SP", 0, {"intra_dc_prec=1"}, [](Segment &s) { s.settings.intraDcPrecision = 2; },
         {"intra_dc_prec=2"}},
        {"dc precision 9/10", 3, {"intra_dc_precision_9_max=113", "intra_dc_precision_10_max=1"},
         [](Segment &s) { s.settings.intraDcPrecision = 2; },
         {"intra_dc_precision_9_max=113", "intra_dc_precision_10_max=113"}},
        {"passes, quality, bias", 0, {"vbr_pass=2", "quality_prec=3", "q_char_f=3", "pict_qchar=3", "vbr_bias=20"},
         [](Segment &s) {
             s.settings.vbrPasses = 4;
             s.settings.quality = 8;
             s.settings.vbrBias = 30;
         },
         {"vbr_pass=4", "quality_prec=8", "q_char_f=8", "pict_qchar=8", "vbr_bias=30"}},
        {"bitrate bounds", 3, {"vbr_brate_min=2000", "vbr_brate_max=8000", "opv_brate_min=1", "opv_brate_max=2"},
         [](Segment &s) { s.settings.minBitrate = 1500; },
         {"vbr_brate_min=1500", "vbr_brate_max=8000", "opv_brate_min=1500", "opv_brate_max=8000"}},
        {"q factor and mode", 3, {"opv_q_factor=10", "video_type=16"},
         [](Segment &s) {
             s.settings.opvQFactor = 27;
             s.settings.videoType = 4;
         },
         {"opv_q_factor=27", "video_type=4"}},
        {"vmode", 2, {"vmode=2"}, [](Segment &s) { s.settings.videoType = 0; }, {"vmode=0"}},
        {"picture settings", 3, {"pict_type=1", "pict_complexity=2", "adjust_q_matrix=0", "no_move=0"},
         [](Segment &s) {
             s.settings.pictType = 3;
             s.settings.pictComplexity = 4;
             s.settings.adjustQMatrix = 1;
             s.settings.noMove = 1;
         },
         {"pict_type=3", "pict_complexity=4", "adjust_q_matrix=1", "no_move=1"}},
        {"filter_on is inverted", 3, {"filter_on=1"}, nullptr, {"filter_on=1"}},
        {"filter_on after a change", 3, {"filter_on=1"}, [](Segment &s) { s.settings.filterOff = 1; }, {"filter_on=0"}},
        {"filter_off", 0, {"filter_off=0"}, [](Segment &s) { s.settings.filterOff = 1; }, {"filter_off=1"}},
        {"filter value follows its switch", 0, {"use_filter=1", "x=1", "filter_val=30"},
         [](Segment &s) { s.settings.filterValue = 40; }, {"use_filter=1", "filter_val=40", "x=1"}},
        {"v_filter", 3, {"v_filter=0", "v_filter_val=12"}, nullptr, {"v_filter=0", "v_filter_val=12"}},
        {"dither, CCE 2.70", 3, {"dither=1", "dither_Y_max=4", "dither_C_max=6"},
         [](Segment &s) { s.settings.ditherCMax = 7; }, {"dither=1", "dither_Y_max=4", "dither_C_max=7"}},
        {"dither, SP", 0, {"dither=1", "dither_max=5"}, nullptr, {"dither=1", "dither_max=5"}},
        {"horizontal filter, CCE 2.70", 3, {"h_filter=1", "h_filter_idx=0", "h_filter_idx2=0"},
         [](Segment &s) { s.settings.hFilterIndex = 7; }, {"h_filter=1", "h_filter_idx=1", "h_filter_idx2=3"}},
        {"horizontal filter, SP", 0, {"h_filter=1", "h_filter_idx=2"}, nullptr, {"h_filter=1", "h_filter_idx=2"}},
        {"custom matrix stays in place", 3, matrixItem, nullptr, matrixWritten},
        {"custom matrix written after its index", 3, matrixWithBlockFirst, nullptr,
         std::vector<std::string>(matrixWritten.begin(), matrixWritten.end() - 1)},
        {"built-in matrix drops the block", 3, matrixItem, [](Segment &s) { s.settings.qmatIndex = 2; },
         {"qmat_idx=2", "after=1"}},
        {"scan and progressive", 3, {"alternate_scan=0", "progressive=1"},
         [](Segment &s) {
             s.settings.alternateScan = 1;
             s.settings.progressive = 0;
         },
         {"alternate_scan=1", "progressive=0"}},
        {"unmanaged lines", 3, {"passes=2", "frame_first=0", "name_like=x"}, nullptr,
         {"passes=2", "frame_first=0", "name_like=x"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        Project project = loadItems(folder, c.cceType, {c.lines});
        if (c.change)
            c.change(project.segment(0));
        EXPECT_EQ(writtenItemLines(project, folder), c.written);
        const std::string ecl = readBytes(folder.file("Rebuilder.ECL"));
        EXPECT_NE(ecl.find("vbr_brate_avg=" + std::to_string(project.segment(0).cells[0].bitrate) + "\r\n"),
                  std::string::npos);
    }
}

TEST(EclWriter, SmallCellsKeepTheirModeLineAndDisagreeingCellsTheirScan)
{
    TempFolder folder;
    Project project = loadItems(folder, 3,
                                {{"video_type=16", "progressive=1", "alternate_scan=1"},
                                 {"video_type=16", "progressive=0", "alternate_scan=1"}},
                                {1000, 10});
    Segment &segment = project.segment(0);
    segment.settings.videoType = 4; // switched to OPV
    segment.vbrMode = false;
    segment.settings.alternateScan = 0;
    const std::string ecl = folder.file("Rebuilder.ECL");
    ASSERT_TRUE(copyTextFile(ecl, ecl + ".bak", true, true));
    ASSERT_EQ(writeEcl(project, ecl + ".bak", ecl), WriteResult::Ok);
    const std::string written = readBytes(ecl);
    EXPECT_NE(written.find("vbr_brate_avg=4000\r\nvideo_type=4\r\nprogressive=1\r\nalternate_scan=0\r\n"),
              std::string::npos);
    EXPECT_NE(written.find("vbr_brate_avg=4000\r\nvideo_type=16\r\nprogressive=0\r\nalternate_scan=0\r\n"),
              std::string::npos);
}

TEST(EclWriter, ItemsTheProjectDoesNotKnowAreCopiedUnchanged)
{
    TempFolder folder;
    Project project = loadItems(folder, 3, {{"vbr_pass=2"}});
    project.segment(0).settings.vbrPasses = 5;
    const std::string ecl = folder.file("Rebuilder.ECL");
    // Before the first item, and an item of a cell the project lacks: never the previous cell's values.
    const std::string unknownItem = crlf({"[item]", "title=V01000100009001", "vbr_brate_avg=1234", "vbr_pass=1",
                                          "gop_nm=4", "gop_hdr=12"});
    folder.write("Rebuilder.ECL.bak", crlf({"vbr_pass=7", "gop_nm=4", "gop_hdr=12"}) + readBytes(ecl) + unknownItem);
    ASSERT_EQ(writeEcl(project, ecl + ".bak", ecl), WriteResult::Ok);
    const std::string written = readBytes(ecl);
    const std::string head = crlf({"vbr_pass=7", "gop_nm=4", "gop_hdr=12", "[CCE]"});
    EXPECT_EQ(written.substr(0, head.size()), head);
    EXPECT_NE(written.find("vbr_pass=5\r\n"), std::string::npos);
    EXPECT_EQ(written.substr(written.size() - unknownItem.size()), unknownItem);
}

TEST(EclWriter, ATitleRightAfterABlockIsNeverSwallowed)
{
    const std::string title = "title=V01000100001002";
    // Damaged copies: a short matrix block, and a "gop_nm=" as the last line of an item.
    const std::string damages[] = {"qmat=\r\n1\r\n2\r\n", "gop_nm=5\r\n"};
    for (const std::string &damage : damages) {
        TempFolder folder;
        Project project = loadItems(folder, 3, {{"qmat_idx=3"}, {"qmat_idx=3"}});
        const std::string ecl = folder.file("Rebuilder.ECL");
        std::string backup = readBytes(ecl);
        backup.insert(backup.find(title), damage);
        folder.write("Rebuilder.ECL.bak", backup);
        ASSERT_EQ(writeEcl(project, ecl + ".bak", ecl), WriteResult::Ok);
        const std::string written = readBytes(ecl);
        EXPECT_NE(written.find(title + "\r\nname="), std::string::npos) << damage;
    }
}
