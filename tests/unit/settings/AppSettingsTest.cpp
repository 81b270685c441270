#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

TEST(AppSettingsFile, ReadingRules)
{
    const std::string longPath(2000, 'p');
    struct Case {
        const char *why;
        std::optional<std::string> content; // nothing: no file
        AppSettings expected;
    };
    // Every load starts from values no file leaves behind, so each row shows what it touched.
    const Case cases[] = {
        {"no file: only the player is cleared", std::nullopt, {"", "cce", 7, 3.5, 4.5, true, true, {}}},
        {"a bare line is the player's path", "C:\\mpc.exe\r\n", {"C:\\mpc.exe", "cce", 7, 3.5, 4.5, true, true, {}}},
        {"the value runs from the first =", "cce_path=C:\\a=b\\cce.exe\n", {"player", "C:\\a=b\\cce.exe", 7, 3.5, 4.5, true, true, {}}},
        {"keys are case-sensitive", "CCE_PATH=x\r\nMediaPlayer=y\r\n", {"player", "cce", 7, 3.5, 4.5, true, true, {}}},
        {"an empty line ends the file", "cce_path=a\r\n\r\nmediaplayer=b\r\n", {"player", "a", 7, 3.5, 4.5, true, true, {}}},
        {"the last of a repeated key wins", "mediaplayer=a\r\nmediaplayer=b\r\n", {"b", "cce", 7, 3.5, 4.5, true, true, {}}},
        {"leading numbers, no range limits",
         "opv_gops_per_range=-3 gops\r\nopv_safety_margin=2.5%\r\nopv_sample_size=1e-1\r\n"
         "opv_encode_minimized=2\r\nopv_double_pass=yes\r\n",
         {"player", "cce", -3, 2.5, 0.1, true, false, {}}},
        {"no number reads as 0", "opv_gops_per_range=abc\r\nopv_safety_margin=\r\n", {"player", "cce", 0, 0.0, 4.5, true, true, {}}},
        {"an empty value", "mediaplayer=\r\ncolour=blue\r\n", {"", "cce", 7, 3.5, 4.5, true, true, {}}},
        // A path is never cut short, however long: it has to survive a save and a load.
        {"long lines are kept whole", "mediaplayer=" + longPath + "\r\n", {longPath, "cce", 7, 3.5, 4.5, true, true, {}}},
    };
    const auto fields = [](const AppSettings &s) {
        return std::tie(s.mediaPlayerPath, s.ccePath, s.gopsPerRange, s.safetyMargin, s.sampleSize, s.encodeMinimized,
                        s.doublePass);
    };
    for (const Case &c : cases) {
        TempFolder folder;
        if (c.content)
            folder.write("Tavro.ini", *c.content);
        AppSettings s{"player", "cce", 7, 3.5, 4.5, true, true, {}};

        loadSettings(s, folder.path());

        EXPECT_EQ(fields(s), fields(c.expected)) << c.why;
        EXPECT_EQ(s.testScriptPath, folder.file("test.avs")) << c.why;
    }
}

TEST(AppSettingsFile, WritesSevenLinesAndRealsComeBackUnchanged)
{
    TempFolder folder;
    FakeDesktop desktop;
    AppSettings s{"C:\\mpc.exe", "C:\\cce.exe", 2, 12.5, 1.0, true, false, {}};
    ASSERT_TRUE(saveSettings(s, folder.path(), desktop));
    EXPECT_EQ(readBytes(folder.file("Tavro.ini")),
              crlf({"mediaplayer=C:\\mpc.exe", "cce_path=C:\\cce.exe", "opv_gops_per_range=2", "opv_safety_margin=12.5",
                    "opv_sample_size=1", "opv_encode_minimized=1", "opv_double_pass=0"}));

    // Values a one-digit form would lose (12.5 would come back as 10).
    for (double value : {0.1, 1.5, 1.0 / 3.0, 1e-7, 123456.789, -2.25}) {
        s.safetyMargin = s.sampleSize = value;
        ASSERT_TRUE(saveSettings(s, folder.path(), desktop));
        AppSettings back;
        loadSettings(back, folder.path());
        EXPECT_EQ(back.safetyMargin, value);
        EXPECT_EQ(back.sampleSize, value);
    }
    EXPECT_TRUE(desktop.messages.empty());
}

TEST(AppSettingsFile, ParallelEncodersAreOneUnlessTheFileSaysMoreAndOneIsNotWritten)
{
    struct Case {
        const char *line; // in the file after the seven lines; nothing: none
        int read;
        bool written; // saving what was read writes the key
    };
    const Case cases[] = {
        {nullptr, 1, false},
        {"opv_parallel_encoders=4", 4, true},
        {"opv_parallel_encoders=1", 1, false},
        {"opv_parallel_encoders=0", 1, false},
        {"opv_parallel_encoders=-2", 1, false},
        {"opv_parallel_encoders=many", 1, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line ? c.line : "no key");
        TempFolder folder;
        FakeDesktop desktop;
        const std::string seven = crlf({"mediaplayer=", "cce_path=cce", "opv_gops_per_range=1", "opv_safety_margin=0",
                                        "opv_sample_size=1", "opv_encode_minimized=0", "opv_double_pass=0"});
        folder.write("Tavro.ini", seven + (c.line ? crlf({c.line}) : ""));
        AppSettings s;
        s.parallelEncoders = 9; // what the file does not say is 1, not what was there
        loadSettings(s, folder.path());
        EXPECT_EQ(s.parallelEncoders, c.read);
        ASSERT_TRUE(saveSettings(s, folder.path(), desktop));
        EXPECT_EQ(readBytes(folder.file("Tavro.ini")), c.written ? seven + crlf({c.line}) : seven);
    }
}

TEST(AppSettingsFile, UnwritableFolderIsReported)
{
    TempFolder folder;
    const std::string missing = folder.file("no such folder");
    FakeDesktop desktop;
    EXPECT_FALSE(saveSettings(AppSettings(), missing, desktop));
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Could not open '" + settingsFilePath(missing) + "' for writing");
    EXPECT_EQ(desktop.messages[0].icon, Desktop::Icon::Error);
}

TEST(AppSettingsChoosers, CceIsSavedEvenWhenTheUserCancels)
{
    TempFolder folder;
    folder.write("Tavro.ini", "mediaplayer=player\r\ncce_path=C:\\old\\cce.exe\r\n");
    FakeDesktop desktop; // nothing scripted: the chooser is cancelled
    AppSettings s;
    s.ccePath = "unsaved";
    s.gopsPerRange = 9;

    EXPECT_FALSE(chooseCce(s, folder.path(), desktop));

    // Re-read first: the unsaved path gives way to the file's; the gops value, which the file
    // does not hold, stays and is written.
    EXPECT_EQ(readBytes(folder.file("Tavro.ini")),
              crlf({"mediaplayer=player", "cce_path=C:\\old\\cce.exe", "opv_gops_per_range=9", "opv_safety_margin=0",
                    "opv_sample_size=1", "opv_encode_minimized=0", "opv_double_pass=0"}));
    ASSERT_EQ(desktop.choosers.size(), 1u);
    EXPECT_EQ(desktop.choosers[0].title, "Select CCE executable");
    EXPECT_EQ(desktop.choosers[0].filters[0].description, "CCE executable (*.exe)");
    EXPECT_EQ(desktop.choosers[0].filters[0].pattern, "*.exe");
#ifndef _WIN32
    // Programs have no extension here.
    ASSERT_EQ(desktop.choosers[0].filters.size(), 2u);
    EXPECT_EQ(desktop.choosers[0].filters[1].pattern, "*");
#endif

    desktop.chosenFiles.push_back(std::string("/opt/cce/cce"));
    EXPECT_TRUE(chooseCce(s, folder.path(), desktop));
    AppSettings back;
    loadSettings(back, folder.path());
    EXPECT_EQ(back.ccePath, "/opt/cce/cce");
}

TEST(AppSettingsChoosers, MediaPlayerIsSavedOnlyWhenChosen)
{
    TempFolder folder;
    FakeDesktop desktop;
    AppSettings s;
    EXPECT_FALSE(chooseMediaPlayer(s, folder.path(), desktop));
    EXPECT_FALSE(fileExists(folder.file("Tavro.ini")));
    EXPECT_EQ(desktop.choosers.at(0).title, "Select your mediaplayer ...");
    EXPECT_EQ(desktop.choosers.at(0).filters.at(0).description, "MediaPlayer Program (*.exe)");

    desktop.chosenFiles.push_back(std::string("/usr/bin/mpv"));
    EXPECT_TRUE(chooseMediaPlayer(s, folder.path(), desktop));
    AppSettings back;
    loadSettings(back, folder.path());
    EXPECT_EQ(back.mediaPlayerPath, "/usr/bin/mpv");
}
