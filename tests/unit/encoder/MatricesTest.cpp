#include "encoder/Matrices.h"
#include "project/Project.h"
#include "support/FakeDesktop.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

const std::string row = "16 16 16 16 16 16 16 16"; // 23 characters

// The lines of a matrices file: `first`, then ordinary rows up to `rows` lines.
std::vector<std::string> matrix(const std::string &first, int rows = 16)
{
    std::vector<std::string> lines = {first};
    lines.resize(std::size_t(rows), row);
    return lines;
}

std::string joined(const std::vector<std::string> &lines, const std::string &end = "\n")
{
    std::string text;
    for (const std::string &line : lines)
        text += line + end;
    return text;
}

std::vector<std::string> with(std::vector<std::string> lines, std::size_t index, const std::string &line)
{
    lines[index] = line;
    return lines;
}

} // namespace

TEST(Matrices, FileRules)
{
    const std::string eight = "8 16 19 22 26 27 29 34";
    struct Case {
        const char *what;
        std::string bytes;
        bool loads;
        std::string firstLine; // when it loads
    };
    const Case cases[] = {
        {"16 lines of 16 characters", joined(matrix("8 16 19 22 26 27")), true, "8 16 19 22 26 27"},
        {"a line of 15 characters", joined(with(matrix(eight), 15, "16 16 16 16 16 ")), false, ""},
        {"15 lines", joined(matrix(eight, 15)), false, ""},
        {"blank before 8", joined(matrix(" 8 16 19 22 26 27")), true, " 8 16 19 22 26 27"},
        {"08", joined(matrix("08 16 19 22 26 27")), true, "08 16 19 22 26 27"},
        {"+8", joined(matrix("+8 16 19 22 26 27")), true, "+8 16 19 22 26 27"},
        {"16 first", joined(matrix("16 16 19 22 26 27")), false, ""},
        {"-8 first", joined(matrix("-8 16 19 22 26 27")), false, ""},
        {"lines after 16 ignored", joined(matrix(eight)) + "x\n", true, eight},
        {"CR LF", joined(matrix(eight), "\r\n"), true, eight},
        {"a CR inside a line ends it", joined(matrix(eight + "\rjunk")), true, eight},
        {"a CR cuts a line below 16", joined(matrix("8 16 19\r22 26 27 29 34")), false, ""},
        {"255 characters", joined(matrix("8" + std::string(254, ' '))), true, "8" + std::string(254, ' ')},
        {"256 characters", joined(matrix("8" + std::string(255, ' '))), false, ""},
        {"no line end at the end", joined(matrix(eight)).substr(0, joined(matrix(eight)).size() - 1), true, eight},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const std::optional<MatrixLines> lines = readMatricesFile(folder.write("matrix.txt", c.bytes));
        ASSERT_EQ(lines.has_value(), c.loads);
        if (lines) {
            EXPECT_EQ((*lines)[0], c.firstLine);
            EXPECT_EQ((*lines)[15], row);
        }
    }
    EXPECT_FALSE(readMatricesFile("/nonexistent/matrix.txt"));
}

// A refused file turns a custom matrix into the standard one and leaves the lines the segment
// had: lines of a refused file must not reach a saved list.
TEST(Matrices, LoadingIntoASegment)
{
    TempFolder folder;
    const std::string good = folder.write("good.txt", joined(matrix("8 16 19 22 26 27")));
    const std::string bad = folder.write("bad.txt", joined(matrix("8 16 19 22 26 27", 12)));
    struct Case {
        std::optional<std::string> chosen;
        int qmatIndex;
        MatricesLoad result;
        int qmatIndexAfter;
        bool linesFromFile;
    };
    const Case cases[] = {
        {std::nullopt, -1, MatricesLoad::Cancelled, -1, false},
        {good, 2, MatricesLoad::Loaded, -1, true},
        {bad, -1, MatricesLoad::Failed, 0, false},
        {bad, 3, MatricesLoad::Failed, 3, false},
        {folder.file("missing.txt"), -1, MatricesLoad::Failed, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.chosen.value_or("(dismissed)"));
        Segment segment;
        segment.settings.qmatIndex = c.qmatIndex;
        segment.settings.qmatLines.fill("previous matrix line");
        FakeDesktop desktop;
        desktop.chosenFiles.push_back(c.chosen);
        EXPECT_EQ(loadCustomMatrices(segment, desktop), c.result);
        EXPECT_EQ(segment.settings.qmatIndex, c.qmatIndexAfter);
        EXPECT_EQ(segment.settings.qmatLines[0], c.linesFromFile ? "8 16 19 22 26 27" : "previous matrix line");
        ASSERT_EQ(desktop.choosers.size(), 1u);
        EXPECT_EQ(desktop.choosers[0].title, "Select your custom matrices ...");
        ASSERT_EQ(desktop.choosers[0].filters.size(), 1u);
        EXPECT_EQ(desktop.choosers[0].filters[0].pattern, "*.*");
        const bool failed = c.result == MatricesLoad::Failed;
        ASSERT_EQ(desktop.messages.size(), failed ? 1u : 0u);
        if (failed) {
            EXPECT_EQ(desktop.messages[0].text, "Error loading matrices");
            EXPECT_EQ(desktop.messages[0].icon, Desktop::Icon::Error);
        }
    }
}
