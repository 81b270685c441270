#include "platform/TypedFields.h"

#include "common/Format.h"
#include "platform/Desktop.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace {

// The text without the blanks around it; empty when there is nothing else.
std::string_view trimmed(const std::string &text)
{
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    const std::size_t end = text.find_last_not_of(" \t");
    return std::string_view(text).substr(begin, end - begin + 1);
}

std::string replaceBounds(std::string message, const std::string &low, const std::string &high)
{
    message.replace(message.find("%1"), 2, low);
    message.replace(message.find("%2"), 2, high);
    return message;
}

} // namespace

std::optional<long long> parseInteger(const std::string &text)
{
    std::string_view digits = trimmed(text);
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    long long value = 0;
    const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || stop != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

std::optional<double> parseNumber(const std::string &text)
{
    std::string_view digits = trimmed(text);
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    double value = 0;
    const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || stop != digits.data() + digits.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string integerRangeText(long long minimum, long long maximum)
{
    return replaceBounds(integerRangeMessage, std::to_string(minimum), std::to_string(maximum));
}

std::string numberRangeText(double minimum, double maximum)
{
    return replaceBounds(numberRangeMessage, formatGeneral(minimum, 6), formatGeneral(maximum, 6));
}

std::optional<int> readInteger(Desktop &desktop, const std::string &text)
{
    const std::optional<long long> value = parseInteger(text);
    if (!value || *value < INT_MIN || *value > INT_MAX) {
        desktop.showMessage(integerMessage, Desktop::Icon::Error);
        return std::nullopt;
    }
    return int(*value);
}

std::optional<int> readPositiveInteger(Desktop &desktop, const std::string &text)
{
    const std::string_view digits = trimmed(text);
    unsigned long long value = 0;
    const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    const bool whole = !digits.empty() && stop == digits.data() + digits.size();
    if (!whole || (error != std::errc() && error != std::errc::result_out_of_range)) {
        desktop.showMessage(positiveIntegerMessage, Desktop::Icon::Error);
        return std::nullopt;
    }
    if (error == std::errc::result_out_of_range || value > INT_MAX)
        return INT_MAX;
    return int(value);
}

std::optional<int> readIntegerBetween(Desktop &desktop, const std::string &text, int minimum, int maximum)
{
    const std::optional<int> value = readInteger(desktop, text);
    if (!value)
        return std::nullopt;
    if (*value < minimum || *value > maximum) {
        desktop.showMessage(integerRangeText(minimum, maximum), Desktop::Icon::Error);
        return std::nullopt;
    }
    return value;
}

std::optional<double> readNumber(Desktop &desktop, const std::string &text)
{
    const std::optional<double> value = parseNumber(text);
    if (!value)
        desktop.showMessage(numberMessage, Desktop::Icon::Error);
    return value;
}

std::optional<double> readNumberBetween(Desktop &desktop, const std::string &text, double minimum, double maximum)
{
    const std::optional<double> value = readNumber(desktop, text);
    if (!value)
        return std::nullopt;
    if (*value < minimum || *value > maximum) {
        desktop.showMessage(numberRangeText(minimum, maximum), Desktop::Icon::Error);
        return std::nullopt;
    }
    return value;
}
