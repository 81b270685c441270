#include "scripts/ScriptEditorDialog.h"

#include "common/Format.h"
#include "common/TextFile.h"
#include "project/Project.h"
#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/ScratchMount.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <system_error>

#ifdef __unix__
#include <sys/resource.h>
#endif

using Dialog = ScriptEditorDialog;

namespace {

// A segment of one cell per script (1000 frames each), in the folder given or a scratch one.
struct Editor {
    explicit Editor(const std::vector<std::string> &scripts, std::vector<std::string> folders = {})
    {
        settings.mediaPlayerPath = "/usr/bin/player";
        Segment &segment = project.segments.emplace_back();
        segment.vts = 1;
        for (std::size_t i = 0; i < scripts.size(); ++i) {
            const std::string folder = i < folders.size() ? folders[i] : scratch.path();
            const std::string path = folder + "/V01_" + std::to_string(i + 1) + ".avs";
            EXPECT_TRUE(TempFolder::writeTo(path, scripts[i]));
            segment.addCell(1, 1, 5, int(i) + 1, 4000, 1000, 25.0).name = path;
        }
        dialog = std::make_unique<Dialog>(project, 0, settings, settingsFolder.path(), desktop);
    }
    std::string path(std::size_t cell) const { return project.segment(0).cells[cell].name; }
    std::string script(std::size_t cell) const { return readBytes(path(cell)); }
    std::string backup(std::size_t cell) const { return readBytes(path(cell) + ".bak"); }
    void insert(int listNumber, const std::string &text)
    {
        dialog->lineSelected(listNumber - 1);
        dialog->lineTyped(text);
        EXPECT_TRUE(dialog->insertClicked());
    }
    bool testAndSave() { return dialog->testClicked() && dialog->okClicked() && dialog->result() == DialogResult::Ok; }

    TempFolder scratch;
    TempFolder settingsFolder;
    FakeDesktop desktop;
    AppSettings settings;
    Project project;
    std::unique_ptr<Dialog> dialog;
};

std::map<std::string, std::string> snapshot(const std::string &folder)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : std::filesystem::directory_iterator(toFsPath(folder)))
        files[fromFsPath(entry.path().filename())] = readBytes(fromFsPath(entry.path()));
    return files;
}

const std::string longLine = "Subtitle(\"" + std::string(5000, 'x') + "\")";

std::string manyLines(int count, const std::string &cellLine)
{
    std::string text = cellLine + "\n";
    for (int i = 2; i <= count; ++i)
        text += cformat("Filter%d()\n", i);
    return text;
}

} // namespace

TEST(ScriptEditor, EditsApplyToEveryCellWhileEachKeepsItsOwnLines)
{
    struct Case {
        const char *name;
        std::vector<std::string> scripts;
        std::function<void(Editor &)> edit;
        std::vector<std::string> saved;
    };
    const Case cases[] = {
        {"two lines, x inserted at the last list number: appended",
         {"a\r\nb\r\n"}, [](Editor &e) { e.insert(3, "x"); }, {crlf({"a", "b", "x"})}},
        {"x at 1 goes before each cell's own source and trim",
         {"src1\r\ntrim(0,99)\r\n", "src2\r\ntrim(100,199)\r\n"}, [](Editor &e) { e.insert(1, "x"); },
         {crlf({"x", "src1", "trim(0,99)"}), crlf({"x", "src2", "trim(100,199)"})}},
        {"a last line without line end is kept", {"a\nb"}, [](Editor &e) { e.insert(3, "x"); },
         {crlf({"a", "b", "x"})}},
        {"removal and insertion take the surviving lines by their index in each file",
         {"src1\nBlur(1)\nTrim(0,9)\nSharpen(1)\n", "src2\nBlur(2)\nTrim(10,19)\nSharpen(2)\n"},
         [](Editor &e) {
             e.dialog->lineSelected(1);
             EXPECT_TRUE(e.dialog->removeClicked());
             e.insert(3, "x");
         },
         {crlf({"src1", "Trim(0,9)", "x", "Sharpen(1)"}), crlf({"src2", "Trim(10,19)", "x", "Sharpen(2)"})}},
        {"no change rewrites the scripts as they were, with CR LF", {"a\nb\n\n"}, [](Editor &) {},
         {crlf({"a", "b", ""})}},
        {"150 lines and a 5000-character line stay whole",
         {manyLines(150, longLine), manyLines(150, "cell two")}, [](Editor &e) { e.insert(151, longLine); },
         {manyLines(150, longLine) + longLine + "\n", manyLines(150, "cell two") + longLine + "\n"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Editor e(c.scripts);
        ASSERT_TRUE(e.dialog->open());
        c.edit(e);
        EXPECT_TRUE(e.testAndSave());
        for (std::size_t i = 0; i < c.saved.size(); ++i) {
            std::string expected = c.saved[i];
            for (std::size_t at = 0; (at = expected.find("\n", at)) != std::string::npos; at += 2) {
                if (at == 0 || expected[at - 1] != '\r')
                    expected.insert(at, "\r");
            }
            EXPECT_EQ(e.script(i), expected);
            EXPECT_EQ(e.backup(i), c.scripts[i]); // byte for byte as DVD-Rebuilder wrote it
        }
        EXPECT_TRUE(e.project.segment(0).replanned);
        EXPECT_TRUE(e.project.scriptsModified);
        EXPECT_TRUE(e.desktop.messages.empty()) << e.desktop.lastMessage();
    }
}

TEST(ScriptEditor, ControlsShowTheNumberedScriptAndTheLineList)
{
    Editor e({"a\r\nb\r\n"});
    ASSERT_TRUE(e.dialog->open());
    ControlTable table = e.dialog->controls();
    EXPECT_EQ(table.at(Dialog::TitleEdit).text, "VTS 1 - VobID 5");
    EXPECT_EQ(table.at(Dialog::Listing).rows, (std::vector<std::string>{" 1 - a", " 2 - b"}));
    EXPECT_EQ(table.at(Dialog::LineList).rows, (std::vector<std::string>{" 1", " 2", " 3"}));
    EXPECT_EQ(table.at(Dialog::LineList).selected, 2);
    EXPECT_FALSE(table.at(Dialog::RestoreButton).enabled); // no .bak yet
    e.insert(1, "x");
    table = e.dialog->controls();
    EXPECT_EQ(table.at(Dialog::Listing).rows, (std::vector<std::string>{" 1 - x", " 2 - a", " 3 - b"}));
    EXPECT_EQ(table.at(Dialog::LineList).selected, 3); // the next insertion appends

    Editor empty({""});
    ASSERT_TRUE(empty.dialog->open());
    EXPECT_TRUE(empty.dialog->controls().at(Dialog::Listing).rows.empty());
    EXPECT_EQ(empty.dialog->controls().at(Dialog::LineList).rows, std::vector<std::string>{" 1"});
}

TEST(ScriptEditor, RemoveLineKeepsSourceAndTrimLinesByExactCase)
{
    struct Case {
        const char *line;
        bool removable;
    };
    const Case cases[] = {
        {"trim(0,99)", false},       {"mpeg2source(\"a.d2v\")", false}, {"Trim(0,99)", true},
        {"Mpeg2Source(\"a.d2v\")", true}, {" trim(0,99)", true},          {"Blur(1)", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        Editor e({std::string(c.line) + "\r\nend\r\n"});
        ASSERT_TRUE(e.dialog->open());
        e.dialog->lineSelected(0);
        EXPECT_EQ(e.dialog->removeClicked(), c.removable);
        EXPECT_EQ(e.dialog->workingCount(), c.removable ? 2 : 3);
        EXPECT_EQ(e.desktop.messageTexts(),
                  c.removable ? std::vector<std::string>{} : std::vector<std::string>{Dialog::cannotRemoveMessage});
    }
    Editor e({"a\r\n"});
    ASSERT_TRUE(e.dialog->open());
    EXPECT_FALSE(e.dialog->removeClicked()); // the last entry is the end of the script
    EXPECT_EQ(e.dialog->workingCount(), 2);
    EXPECT_TRUE(e.desktop.messages.empty());
}

TEST(ScriptEditor, OkNeedsATestAfterAnyInsertionOrRemoval)
{
    struct Case {
        const char *name;
        std::function<void(Editor &)> steps;
        bool closes;
    };
    const Case cases[] = {
        {"no change", [](Editor &) {}, true},
        {"inserted", [](Editor &e) { e.insert(1, "x"); }, false},
        {"removed", [](Editor &e) { e.dialog->lineSelected(1); e.dialog->removeClicked(); }, false},
        {"inserted, then reset", [](Editor &e) { e.insert(1, "x"); e.dialog->resetClicked(); }, false},
        {"inserted, then View Original", [](Editor &e) { e.insert(1, "x"); e.dialog->viewOriginalClicked(); }, false},
        {"inserted, then tested", [](Editor &e) { e.insert(1, "x"); e.dialog->testClicked(); }, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Editor e({"src\r\nBlur(1)\r\n"});
        ASSERT_TRUE(e.dialog->open());
        c.steps(e);
        EXPECT_EQ(e.dialog->okClicked(), c.closes);
        EXPECT_EQ(e.dialog->result(), c.closes ? DialogResult::Ok : DialogResult::Open);
        EXPECT_EQ(e.project.scriptsModified, c.closes);
        if (!c.closes) {
            EXPECT_EQ(e.desktop.lastMessage(), Dialog::testFirstMessage);
            EXPECT_EQ(e.desktop.messages.back().icon, Desktop::Icon::Error);
            EXPECT_EQ(e.script(0), "src\r\nBlur(1)\r\n");
        }
    }
}

TEST(ScriptEditor, ResetGoesBackToTheLoadedScript)
{
    Editor e({"a\r\nb\r\nc\r\n"});
    ASSERT_TRUE(e.dialog->open());
    e.insert(2, "x");
    e.dialog->lineSelected(0);
    EXPECT_TRUE(e.dialog->removeClicked());
    e.dialog->resetClicked();
    EXPECT_EQ(e.dialog->workingLines(), e.dialog->loadedLines());
    EXPECT_EQ(e.dialog->lineOrigin(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(e.dialog->lineChoice(), 3);
    EXPECT_FALSE(e.dialog->scriptTested());
}

TEST(ScriptEditor, TestScriptPlaysTheWorkingCopyStretchedToTheSegment)
{
    Editor e({"Mpeg2Source(\"a.d2v\")\r\nTrim(1200,2399)\r\n", "Mpeg2Source(\"a.d2v\")\r\ntrim(2400,3399)\r\n"});
    ASSERT_TRUE(e.dialog->open());
    e.insert(3, "Blur(1)");
    EXPECT_TRUE(e.dialog->testClicked());
    const std::string testScript = testScriptPathIn(e.settingsFolder.path());
    // The segment holds 2000 frames; the final element is written as an empty line.
    EXPECT_EQ(readBytes(testScript), crlf({"Mpeg2Source(\"a.d2v\")", "Trim(1200,-2000)", "Blur(1)", ""}));
    ASSERT_EQ(e.desktop.started.size(), 1u);
    EXPECT_EQ(e.desktop.started[0].arguments, std::vector<std::string>{testScript});
    EXPECT_TRUE(e.dialog->scriptTested());

    e.dialog->viewOriginalClicked(); // the first cell's script on disk, not the working copy
    EXPECT_EQ(readBytes(testScript), crlf({"Mpeg2Source(\"a.d2v\")", "Trim(1200,-2000)"}));
}

TEST(ScriptEditor, BakIsMadeOnceAndRestoreBringsItBackWithoutEmptyLines)
{
    Editor e({"src1\n\nTrim(0,9)", "src2\n\nTrim(10,19)"});
    ASSERT_TRUE(e.dialog->open());
    e.insert(1, "first");
    ASSERT_TRUE(e.testAndSave());
    // A second opening and save: the .bak keeps the script as DVD-Rebuilder wrote it.
    Dialog again(e.project, 0, e.settings, e.settingsFolder.path(), e.desktop);
    ASSERT_TRUE(again.open());
    EXPECT_TRUE(again.controls().at(Dialog::RestoreButton).enabled);
    again.lineSelected(0);
    again.lineTyped("second");
    again.insertClicked();
    again.testClicked();
    ASSERT_TRUE(again.okClicked());
    EXPECT_EQ(e.script(1), crlf({"second", "first", "src2", "", "Trim(10,19)"}));
    EXPECT_EQ(e.backup(1), "src2\n\nTrim(10,19)");

    Dialog restorer(e.project, 0, e.settings, e.settingsFolder.path(), e.desktop);
    ASSERT_TRUE(restorer.open());
    restorer.restoreClicked(); // answered No
    EXPECT_EQ(e.desktop.questions.back().text, Dialog::restoreQuestion);
    EXPECT_EQ(e.script(0), crlf({"second", "first", "src1", "", "Trim(0,9)"}));
    e.desktop.answers = {true};
    e.project.scriptsModified = false;
    restorer.restoreClicked();
    EXPECT_EQ(e.script(0), crlf({"src1", "Trim(0,9)"}));
    EXPECT_EQ(e.script(1), crlf({"src2", "Trim(10,19)"}));
    EXPECT_EQ(e.backup(0), "src1\n\nTrim(0,9)"); // the copies stay
    EXPECT_EQ(restorer.listedLines(), (std::vector<std::string>{"src1", "Trim(0,9)"})); // reloaded
    EXPECT_TRUE(e.project.scriptsModified);
}

TEST(ScriptEditor, RestoreWithACopyMissingChangesNothing)
{
    Editor e({"a1\r\n", "a2\r\n"});
    TempFolder::writeTo(e.path(0) + ".bak", "old1\r\n");
    ASSERT_TRUE(e.dialog->open());
    e.desktop.answers = {true};
    e.dialog->restoreClicked();
    EXPECT_EQ(e.desktop.lastMessage(), std::string(Dialog::restoreUnchangedMessage) + "\n" + e.path(1) +
                                           ".bak: " + std::generic_category().message(ENOENT));
    EXPECT_EQ(e.script(0), "a1\r\n");
    EXPECT_FALSE(e.project.scriptsModified);
}

TEST(ScriptEditor, OpeningRefusesMissingOrMismatchedScripts)
{
    struct Case {
        const char *name;
        std::vector<std::string> scripts;
        bool removeSecond;
        const char *message;
    };
    const Case cases[] = {
        {"a cell's script is missing", {"a\r\n", "b\r\n"}, true, Dialog::missingScriptsMessage},
        {"element counts differ", {"a\r\nb\r\n", "a\r\n"}, false, Dialog::differentSizeMessage},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Editor e(c.scripts);
        if (c.removeSecond)
            std::filesystem::remove(toFsPath(e.path(1)));
        EXPECT_FALSE(e.dialog->open());
        EXPECT_EQ(e.dialog->result(), DialogResult::Cancel);
        EXPECT_EQ(e.desktop.messageTexts(), std::vector<std::string>{c.message});
        EXPECT_EQ(e.desktop.messages[0].icon, Desktop::Icon::Warning);
    }
}

TEST(ScriptEditor, Favourites)
{
    Editor e({"a\r\n"});
    const std::string filters = e.settingsFolder.write("Filters.txt", "x\nblur(1)\r\nAntialias()\n" + longLine);
    ASSERT_TRUE(e.dialog->open());
    // One-character lines are not offered; the list sorts without regard to case.
    EXPECT_EQ(e.dialog->favourites(), (std::vector<std::string>{"Antialias()", "blur(1)", longLine}));
    e.dialog->favouriteChosen(1);
    EXPECT_EQ(e.dialog->favouriteText(), "blur(1)");
    e.insert(1, "Crop(2,2,2,2)");
    EXPECT_EQ(e.dialog->favourites(), (std::vector<std::string>{"Antialias()", "blur(1)", "Crop(2,2,2,2)", longLine}));
    EXPECT_EQ(e.dialog->favouriteText(), "");

    e.dialog->lineTyped("Sharpen(1)");
    EXPECT_TRUE(e.dialog->addFavouriteClicked());
    EXPECT_FALSE(e.dialog->addFavouriteClicked());
    e.dialog->lineTyped("blur(1)");
    EXPECT_FALSE(e.dialog->addFavouriteClicked());
    // The last line had no line end; it keeps its own line.
    EXPECT_EQ(readBytes(filters), crlf({"x", "blur(1)", "Antialias()", longLine, "Sharpen(1)"}));
}

// The disk fills or a script is protected in the middle of the cells: every script is either
// as before or as saved, none is missing, and nothing is left beside them.
TEST(ScriptEditorFailures, OkChangesNothingWhenAScriptCannotBeWritten)
{
    const std::vector<std::string> scripts = {"src1\r\nTrim(0,9)\r\n", "src2\r\n" + longLine + "\r\n",
                                              "src3\r\nTrim(20,29)\r\n"};
    struct Case {
        const char *name;
        long long fileSizeLimit;    // 0: none
        int mount;                  // 0: none, 1: second script write-protected, 2: its folder read-only
        bool secondHasBackup;
        const char *message;
        const char *failedSuffix;
    };
    const Case cases[] = {
        {"the copy of the second script does not fit", 1000, 0, false, Dialog::backupUnchangedMessage, ".bak"},
        {"the second new script does not fit", 5100, 0, false, Dialog::saveUnchangedMessage, ""},
        {"the second script is write-protected", 0, 1, true, Dialog::saveUnchangedMessage, ""},
        {"the second script's folder is read-only", 0, 2, true, Dialog::saveUnchangedMessage, ""},
        {"the second script's folder is read-only, no copy yet", 0, 2, false, Dialog::backupUnchangedMessage, ".bak"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.mount && !ScratchMount::available())
            continue; // mounting needs root; the file-size cases cover the rest
#ifndef __unix__
        if (c.fileSizeLimit)
            continue;
#endif
        ScratchMount disk(1 << 20);
        TempFolder folder;
        const std::string secondFolder = c.mount ? disk.path() : folder.path();
        Editor e(scripts, {folder.path(), secondFolder, folder.path()});
        if (c.secondHasBackup)
            TempFolder::writeTo(e.path(1) + ".bak", scripts[1]);
        ASSERT_TRUE(e.dialog->open());
        e.insert(2, std::string(200, 'y'));
        ASSERT_TRUE(e.dialog->testClicked());
        if (c.mount == 1) {
            ASSERT_TRUE(disk.protectFile(e.path(1)));
        } else if (c.mount == 2) {
            ASSERT_TRUE(disk.makeReadOnly());
        }
        const auto before = snapshot(folder.path());
        const auto secondBefore = snapshot(secondFolder);
#ifdef __unix__
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (c.fileSizeLimit) {
            rlimit limited = saved;
            limited.rlim_cur = rlim_t(c.fileSizeLimit);
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        }
#endif
        EXPECT_TRUE(e.dialog->okClicked());
#ifdef __unix__
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
#endif
        EXPECT_EQ(e.dialog->result(), DialogResult::Cancel);
        EXPECT_EQ(snapshot(folder.path()), before);
        EXPECT_EQ(snapshot(secondFolder), secondBefore);
        EXPECT_EQ(e.script(1), scripts[1]);
        ASSERT_EQ(e.desktop.messages.size(), 1u);
        EXPECT_EQ(e.desktop.lastMessage().rfind(std::string(c.message) + "\n" + e.path(1) + c.failedSuffix + ": ", 0),
                  0u)
            << e.desktop.lastMessage();
        EXPECT_FALSE(e.project.scriptsModified);
        EXPECT_FALSE(e.project.segment(0).replanned);
    }
}
