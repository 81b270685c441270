#include "common/Convert.h"
#include "common/Format.h"
#include "common/TextFile.h"
#include "platform/Desktop.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <vector>

TEST(LeadingNumbers, ReadTheWayTheFilesAreWritten)
{
    struct Case {
        const char *text;
        long long integer;
        double real;
    };
    const Case cases[] = {
        {"42", 42, 42.0},
        {"  \t42abc", 42, 42.0},   // leading blanks, stops at the first non-digit
        {"-7", -7, -7.0},
        {"+5", 5, 5.0},
        {"007", 7, 7.0},           // header fields are zero-padded
        {"", 0, 0.0},
        {"abc", 0, 0.0},
        {"1 2", 1, 1.0},
        {"65.4", 65, 65.4},
        {"65,4", 65, 65.0},        // a comma is not a decimal mark here; the INF reader swaps it first
        {".5", 0, 0.5},
        {".", 0, 0.0},
        {"-", 0, 0.0},
        {"-1.5e2x", -1, -150.0},
        {"3e", 3, 3.0},            // an exponent without digits is not part of the number
        {"2E+1", 2, 20.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(leadingLong(c.text), c.integer);
        EXPECT_EQ(leadingInt(c.text), int(c.integer));
        EXPECT_DOUBLE_EQ(leadingReal(c.text), c.real);
    }
}

TEST(LeadingNumbers, ClampInsteadOfOverflowing)
{
    EXPECT_EQ(leadingInt("99999999999"), INT_MAX);
    EXPECT_EQ(leadingInt("-99999999999"), INT_MIN);
    EXPECT_EQ(leadingLong("99999999999"), 99999999999LL);
    EXPECT_EQ(leadingLong("999999999999999999999999"), LLONG_MAX);
    EXPECT_EQ(leadingLong("-9223372036854775808"), LLONG_MIN);
    EXPECT_EQ(leadingReal("1e999"), std::numeric_limits<double>::max());
    EXPECT_EQ(leadingReal("1e-999"), 0.0);
    EXPECT_EQ(leadingReal(std::string(5000, '9')), std::numeric_limits<double>::max());
}

TEST(Format, PrintfStyleOfAnyLength)
{
    EXPECT_EQ(cformat("VTS %2d - Vob-ID %3d", 1, 7), "VTS  1 - Vob-ID   7");
    const std::string longText(1000, 'x');
    EXPECT_EQ(cformat("[%s]", longText.c_str()), "[" + longText + "]");
}

TEST(Format, FixedWidthReductions)
{
    struct Case {
        double value;
        const char *text;
    };
    const Case cases[] = {{7.0, " 7.0"}, {65.43, "65.4"}, {100.0, "100.0"}, {0.4, " 0.4"}, {99.96, "100.0"},
                          {double(65.4f), "65.4"}};
    for (const Case &c : cases)
        EXPECT_EQ(formatFixed(c.value, 4, 1), c.text) << c.value;
}

TEST(LineReader, SplitsLinesTheWayTheWindowsToolsWroteThem)
{
    struct Case {
        const char *name;
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"LF", "a\nb\n", {"a", "b"}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"last line without LF", "a\r\nb", {"a", "b"}},
        {"last line ends in CR only", "a\nb\r", {"a", "b"}},
        {"empty file", "", {}},
        {"one empty line", "\n", {""}},
        {"empty line before the end", "a\n\n", {"a", ""}},
        {"CR inside a line stays", "a\rb\n", {"a\rb"}},
        {"only the CR before LF goes", "a\r\r\n", {"a\r"}},
        {"NUL bytes are kept", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
    };
    TempFolder folder;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.write("in.txt", c.bytes);
        LineReader reader(path);
        ASSERT_TRUE(reader.isOpen());
        std::vector<std::string> lines;
        std::string line;
        while (reader.next(line))
            lines.push_back(line);
        EXPECT_FALSE(reader.failed());
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(reader.lineNumber(), (long long)c.lines.size());
    }
}

TEST(LineReader, NeverSplitsALongLine)
{
    TempFolder folder;
    const std::string longLine(3 * 65536 + 17, 'q');
    const std::string path = folder.write("long.txt", "short\r\n" + longLine + "\r\nend");
    LineReader reader(path);
    std::string line;
    ASSERT_TRUE(reader.next(line));
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, longLine);
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, "end");
    EXPECT_FALSE(reader.next(line));
}

TEST(LineReader, UnreadHandsTheLineOutAgain)
{
    TempFolder folder;
    LineReader reader(folder.write("in.txt", "a\nb\n"));
    std::string line;
    reader.next(line);
    reader.unread(line);
    EXPECT_EQ(reader.lineNumber(), 0);
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, "a");
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, "b");
}

TEST(LineReader, MissingFileOrFolderDoesNotOpen)
{
    TempFolder folder;
    EXPECT_FALSE(LineReader(folder.file("nothing.txt")).isOpen());
    EXPECT_FALSE(LineReader(folder.path()).isOpen());
    EXPECT_FALSE(isReadableFile(folder.path()));
}

TEST(LineWriter, EndsEveryLineWithCrLfAndReplacesOnCommit)
{
    TempFolder folder;
    const std::string target = folder.write("out.txt", "old\n");
    LineWriter writer(target);
    ASSERT_TRUE(writer.isOpen());
    writer.writeLine("one");
    writer.writeLine("");
    EXPECT_EQ(readBytes(target), "old\n"); // nothing visible before the commit
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(readBytes(target), "one\r\n\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1); // no temporary left
}

TEST(LineWriter, AFailedOrAbandonedWriteLeavesTheOldFile)
{
    TempFolder folder;
    const std::string target = folder.write("out.txt", "old\r\n");
    {
        LineWriter writer(target);
        writer.writeLine("new");
        // destroyed without commit, as when a save stops half-way
    }
    EXPECT_EQ(readBytes(target), "old\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);

    LineWriter nowhere(folder.file("no-such-folder/out.txt"));
    EXPECT_FALSE(nowhere.isOpen());
    nowhere.writeLine("x");
    EXPECT_FALSE(nowhere.commit());
}

TEST(RenameFile, RefusesToReplaceAnExistingFile)
{
    TempFolder folder;
    const std::string from = folder.write("a.avs", "new");
    const std::string to = folder.write("a.avs.bak", "original");
    EXPECT_FALSE(renameFile(from, to));
    EXPECT_EQ(readBytes(to), "original");
    EXPECT_EQ(readBytes(from), "new");
    const std::string fresh = folder.file("b.avs.bak");
    EXPECT_TRUE(renameFile(from, fresh));
    EXPECT_EQ(readBytes(fresh), "new");
    EXPECT_FALSE(fileExists(from));
}

TEST(FilterString, SplitsIntoDescriptionAndPatternPairs)
{
    const auto filters = parseFilterString("Rebuilder.inf|REBUILDER.INF||");
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(filters[0].description, "Rebuilder.inf");
    EXPECT_EQ(filters[0].pattern, "REBUILDER.INF");

    const auto two = parseFilterString("Programs|*.exe|All|*.*||");
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[1].description, "All");
    EXPECT_EQ(two[1].pattern, "*.*");
    EXPECT_TRUE(parseFilterString("").empty());
}
