#include "project/Project.h"
#include "project/ProjectFiles.h"
#include "support/FakeDesktop.h"
#include "support/ProjectFilesBuilder.h"

#include <gtest/gtest.h>

namespace {

// Loads the builder's project; fails the test when the load fails.
void loadOrFail(Project &project, const ProjectFilesBuilder &files, const TempFolder &folder, FakeDesktop &desktop)
{
    ASSERT_TRUE(project.load(files.writeTo(folder), desktop)) << desktop.lastMessage();
}

} // namespace

TEST(InfReader, SegmentsAreRunsOfOneTitleSetAndVobId)
{
    ProjectFilesBuilder files;
    files.add(1, 2, 1);
    files.add(1, 2, 2).subId = 7; // the sub-identifier does not split a run
    files.add(1, 3, 1);
    files.add(2, 3, 1);
    files.add(2, 3, 2);
    files.add(1, 2, 3); // the same identity again after another one is a new segment
    TempFolder folder;
    FakeDesktop desktop;
    Project project;
    loadOrFail(project, files, folder, desktop);
    ASSERT_EQ(project.lastSegmentIndex(), 3);
    const int counts[] = {2, 1, 2, 1};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(project.segment(i).cellCount(), counts[i]) << i;
    EXPECT_EQ(project.segment(2).vts, 2);
    EXPECT_EQ(project.segment(0).cells[1].subId, 7);
    EXPECT_TRUE(desktop.messages.empty());
}

TEST(InfReader, ProjectSizesEncoderAndTotals)
{
    ProjectFilesBuilder files;
    files.infHead = {"[Project]", "Original_Size=1000000", "Excluded_Audio_Sub_Size=20000", "mode=3", "CCEType=2",
                     "VTS_01=500000", "VTS_02 size=400000", "Frames_Total=5"};
    files.add(1, 1, 1, 1000, 4000);
    files.add(1, 1, 2, 500, 3000);
    TempFolder folder;
    FakeDesktop desktop;
    Project project;
    loadOrFail(project, files, folder, desktop);
    EXPECT_EQ(project.sourceSize, 1000000);
    EXPECT_EQ(project.excludedAudioSubSize, 20000);
    EXPECT_EQ(project.vtsSizeSum, 900000);
    EXPECT_EQ(project.overheadSize, 80000);
    EXPECT_EQ(project.encoderMode, 3);
    EXPECT_EQ(project.cceType, 2);
    EXPECT_EQ(project.initialTotalSize, 5'500'000);
    EXPECT_EQ(project.targetTotalSize, 5'500'000);
    EXPECT_EQ(project.infPath, folder.file("Rebuilder.INF"));
}

TEST(InfReader, CellFieldsFromTheSection)
{
    struct Case {
        int rateCode;
        double fps;
        int frames;
        bool significant;
        std::string reduction;
        float loaded;
        bool decimalComma;
    };
    const Case cases[] = {
        {1, 23.976, 11, true, "65.4", 65.4f, false},
        {2, 24.0, 10, false, "65,4", 65.4f, true}, // 10 frames is not significant; a comma marks the project
        {3, 25.0, 0, false, "100.0", 100.0f, false},
        {4, 29.97, 3050, true, " 7.0", 7.0f, false},
        {5, 30.0, 12, true, "1,5", 1.5f, true},
    };
    for (const Case &c : cases) {
        ProjectFilesBuilder files;
        CellEntry &cell = files.add(1, 1, 1, c.frames);
        cell.rateCode = c.rateCode;
        cell.reduction = c.reduction;
        TempFolder folder;
        FakeDesktop desktop;
        Project project;
        loadOrFail(project, files, folder, desktop);
        const Cell &loaded = project.segment(0).cells[0];
        EXPECT_DOUBLE_EQ(loaded.fps, c.fps);
        EXPECT_EQ(loaded.frames, c.frames);
        EXPECT_EQ(loaded.significant, c.significant);
        EXPECT_EQ(loaded.loadedReduction, c.loaded);
        EXPECT_EQ(project.decimalComma, c.decimalComma);
    }
}

TEST(InfReader, UnsupportedCceVersionLoadsAsType2AfterTheMessage)
{
    ProjectFilesBuilder files;
    files.infHead = {"CCEType=5"};
    files.add(1, 1, 1);
    TempFolder folder;
    FakeDesktop desktop;
    Project project;
    loadOrFail(project, files, folder, desktop);
    EXPECT_EQ(project.cceType, 2);
    EXPECT_EQ(desktop.messageTexts(), std::vector<std::string>{"Unsupported CCE version"});
}

TEST(InfWriter, RewritesOnlyReductionsClampedAndFourWide)
{
    struct Case {
        int bitrate; // planned, against a loaded 4000 kbit/s at 50 %
        const char *written;
    };
    const Case cases[] = {
        {4000, "Reduction=50.0"},
        {560, "Reduction= 7.0"},    // at least 4 characters, padded on the left
        {32, "Reduction= 1.0"},     // 0.4 % is written as 1
        {20000, "Reduction=100.0"}, // 250 % is written as 100
        {5233, "Reduction=65.4"},   // 65.4125
    };
    for (const Case &c : cases) {
        ProjectFilesBuilder files;
        files.add(1, 1, 1, 1000, 4000);
        TempFolder folder;
        FakeDesktop desktop;
        Project project;
        loadOrFail(project, files, folder, desktop);
        project.segment(0).cells[0].bitrate = c.bitrate;
        const std::string inf = folder.file("Rebuilder.INF");
        ASSERT_TRUE(copyTextFile(inf, inf + ".bak", true, true));
        ASSERT_EQ(writeInf(project, inf + ".bak", inf), WriteResult::Ok);
        std::string expected = files.infText();
        expected.replace(expected.find("Reduction=50.0"), 14, c.written);
        EXPECT_EQ(readBytes(inf), expected);
    }
}

TEST(InfWriter, CommaProjectsGetCommasAndUnknownSectionsKeepTheirLines)
{
    ProjectFilesBuilder files;
    files.add(1, 1, 1, 1000, 4000).reduction = "50,0";
    files.add(1, 1, 2, 1000, 4000).reduction = "40.0";
    TempFolder folder;
    FakeDesktop desktop;
    Project project;
    loadOrFail(project, files, folder, desktop);
    ASSERT_TRUE(project.decimalComma);
    project.segment(0).cells[1].bitrate = 2000;
    const std::string inf = folder.file("Rebuilder.INF");
    // The copy being rewritten holds lines the project does not know: a section of a cell it
    // lacks, and sections of 16 and 18 characters.
    folder.write("Rebuilder.INF.bak", files.infText()
                                          + crlf({"[V01000100009001]", "Frame_Rate_Code=3", "Frames=5", "Reduction=33.3",
                                                  "[V01000100001001", "Reduction=12.3", "[V0100010000100100",
                                                  "Reduction=45.6"}));
    ASSERT_EQ(writeInf(project, inf + ".bak", inf), WriteResult::Ok);
    const std::string written = readBytes(inf);
    EXPECT_NE(written.find("[V01000100001001]\r\nFrame_Rate_Code=3\r\nFrames=1000\r\nReduction=50,0\r\n"), std::string::npos);
    EXPECT_NE(written.find("[V01000100001002]\r\nFrame_Rate_Code=3\r\nFrames=1000\r\nReduction=20,0\r\n"), std::string::npos);
    EXPECT_NE(written.find("Frames=5\r\nReduction=33.3\r\n"), std::string::npos);
    EXPECT_NE(written.find("[V01000100001001\r\nReduction=12.3\r\n[V0100010000100100\r\nReduction=45.6\r\n"),
              std::string::npos);
}

TEST(InfWriter, MissingBackupOrUnwritableTarget)
{
    ProjectFilesBuilder files;
    files.add(1, 1, 1);
    TempFolder folder;
    FakeDesktop desktop;
    Project project;
    loadOrFail(project, files, folder, desktop);
    const std::string inf = folder.file("Rebuilder.INF");
    EXPECT_EQ(writeInf(project, inf + ".bak", inf), WriteResult::SourceUnreadable);
    EXPECT_EQ(writeInf(project, inf, folder.file("missing/Rebuilder.INF")), WriteResult::WriteFailed);
    EXPECT_EQ(readBytes(inf), files.infText());
}
