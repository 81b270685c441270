#include "platform/TypedFields.h"

#include "support/FakeDesktop.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace {

struct Row {
    const char *reader;
    std::function<std::optional<double>(Desktop &, const std::string &)> read;
    std::string text;
    std::optional<double> value; // nothing: refused
    std::string message;         // shown when refused
};

TEST(TypedFields, EachReaderTakesItsNumbersAndRefusesTheRestWithItsMessage)
{
    const auto integer = [](Desktop &d, const std::string &t) -> std::optional<double> {
        const auto v = readInteger(d, t);
        return v ? std::optional<double>(*v) : std::nullopt;
    };
    const auto positive = [](Desktop &d, const std::string &t) -> std::optional<double> {
        const auto v = readPositiveInteger(d, t);
        return v ? std::optional<double>(*v) : std::nullopt;
    };
    const auto qRange = [](Desktop &d, const std::string &t) -> std::optional<double> {
        const auto v = readIntegerBetween(d, t, 1, 128);
        return v ? std::optional<double>(*v) : std::nullopt;
    };
    const auto number = [](Desktop &d, const std::string &t) { return readNumber(d, t); };
    const auto marginRange = [](Desktop &d, const std::string &t) { return readNumberBetween(d, t, 0.5, 10); };

    const Row rows[] = {
        {"integer", integer, " -42 ", -42, ""},
        {"integer", integer, "+7", 7, ""},
        {"integer", integer, "", std::nullopt, "Please enter an integer."},
        {"integer", integer, "12abc", std::nullopt, "Please enter an integer."},
        {"integer", integer, "1.5", std::nullopt, "Please enter an integer."},
        {"integer", integer, "99999999999", std::nullopt, "Please enter an integer."},
        {"positive", positive, "4000", 4000, ""},
        {"positive", positive, "-1", std::nullopt, "Please enter a positive integer."},
        // Beyond int the bitrate is capped rather than wrapped to a tiny value.
        {"positive", positive, "99999999999999999999", double(INT_MAX), ""},
        {"1..128", qRange, "128", 128, ""},
        {"1..128", qRange, "0", std::nullopt, "Please enter an integer between 1 and 128."},
        {"1..128", qRange, "x", std::nullopt, "Please enter an integer."},
        {"number", number, "2.5", 2.5, ""},
        {"number", number, "1e3", 1000, ""},
        {"number", number, "2,5", std::nullopt, "Please enter a number."},
        {"number", number, "nan", std::nullopt, "Please enter a number."},
        {"0.5..10", marginRange, "10", 10, ""},
        {"0.5..10", marginRange, "10.01", std::nullopt, "Please enter a number between 0.5 and 10."},
    };
    for (const Row &row : rows) {
        FakeDesktop desktop;
        const std::optional<double> value = row.read(desktop, row.text);
        SCOPED_TRACE(std::string(row.reader) + " \"" + row.text + "\"");
        EXPECT_EQ(value, row.value);
        if (row.message.empty()) {
            EXPECT_TRUE(desktop.messages.empty());
        } else {
            ASSERT_EQ(desktop.messages.size(), 1u);
            EXPECT_EQ(desktop.messages[0].text, row.message);
        }
    }
}

} // namespace
