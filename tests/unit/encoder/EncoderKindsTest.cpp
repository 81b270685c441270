#include "encoder/EncoderKinds.h"
#include "encoder/SettingsDialogBase.h"
#include "project/Project.h"
#include "project/ProjectFiles.h"
#include "support/FakeDesktop.h"
#include "support/ProjectBuilder.h"
#include "support/ProjectFilesBuilder.h"

#include <gtest/gtest.h>

TEST(EncoderKinds, EachModeAndCceTypeOpensItsWindow)
{
    struct Case {
        int encoderMode, cceType;
        std::string window; // caption; empty: none opens
        const char *settingsButton;
    };
    const Case cases[] = {
        {1, 0, "CCE SP settings", "&CCE Settings"},   {1, 1, "CCE SP settings", "&CCE Settings"},
        {1, -1, "CCE SP settings", "&CCE Settings"},  {1, 2, "Encoder settings", "&CCE Settings"},
        {1, 3, "CCE 2.70 Settings", "&CCE Settings"}, {1, -5, "", "&CCE Settings"}, // a type no CCE has
        {3, 3, "Encoder settings", "PRO Settings"},   {3, 0, "Encoder settings", "PRO Settings"},
        {3, -5, "Encoder settings", "PRO Settings"},   {2, 3, "", nullptr},
        {0, 1, "", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.encoderMode) + "/" + std::to_string(c.cceType));
        Project project = ProjectBuilder().segment().cell(1000, 4000).build();
        project.encoderMode = c.encoderMode;
        project.cceType = c.cceType;
        FakeDesktop desktop;
        const auto dialog = openSettingsDialog(project, project.segment(0), desktop);
        EXPECT_EQ(dialog ? dialog->caption() : std::string(), c.window);
        const char *caption = encoderModeKind(c.encoderMode).settingsCaption;
        EXPECT_STREQ(caption ? caption : "", c.settingsButton ? c.settingsButton : "");
    }
}

// The codes the VBR and OPV buttons write must read back as the mode they stand for, through
// the key each version's list carries (the older versions "vmode=", the others "video_type=").
TEST(EncoderKinds, ModeCodesReadBackAsTheirMode)
{
    struct Case {
        int infType; // "CCEType=" in the INF
        std::vector<std::string> lines;
        int cceType; // after reading
    };
    const Case cases[] = {
        {0, {"vmode=0"}, 0},       {1, {"video_type=0"}, 1}, {1, {"q_char_f=3", "video_type=0"}, -1},
        {2, {"vmode=0"}, 2},       {3, {"video_type=0"}, 3},
    };
    for (const Case &c : cases) {
        for (const bool vbr : {true, false}) {
            SCOPED_TRACE(c.lines.back() + (vbr ? " VBR" : " OPV"));
            TempFolder folder;
            ProjectFilesBuilder files;
            files.infHead = {"mode=1", "CCEType=" + std::to_string(c.infType)};
            files.add(1, 1, 1).itemLines = c.lines;
            FakeDesktop desktop;
            Project project;
            ASSERT_TRUE(project.load(files.writeTo(folder), desktop));
            ASSERT_EQ(project.cceType, c.cceType);
            const CceKind &kind = cceKind(project.cceType);
            project.segment(0).settings.videoType = vbr ? kind.vbrVideoType : kind.opvVideoType;
            const std::string ecl = project.eclPath();
            ASSERT_TRUE(copyTextFile(ecl, ecl + ".bak", true, true));
            ASSERT_EQ(writeEcl(project, ecl + ".bak", ecl), WriteResult::Ok);
            Project again;
            ASSERT_TRUE(again.load(project.infPath, desktop));
            EXPECT_EQ(again.segment(0).vbrMode, vbr);
            EXPECT_EQ(again.segment(0).settings.videoType, project.segment(0).settings.videoType);
        }
    }
}
