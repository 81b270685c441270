#include "common/Format.h"

#include <array>
#include <charconv>
#include <cstdarg>
#include <cstdio>

std::string cformat(const char *format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::va_list copy;
    va_copy(copy, args);
    std::array<char, 256> small;
    const int needed = std::vsnprintf(small.data(), small.size(), format, args);
    va_end(args);
    std::string result;
    if (needed < 0) {
        va_end(copy);
        return result;
    }
    if (std::size_t(needed) < small.size()) {
        result.assign(small.data(), std::size_t(needed));
    } else {
        result.resize(std::size_t(needed) + 1);
        std::vsnprintf(result.data(), result.size(), format, copy);
        result.resize(std::size_t(needed));
    }
    va_end(copy);
    return result;
}

std::string formatFixed(double value, int width, int decimals)
{
    std::array<char, 400> buffer;
    const auto [end, error] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, decimals);
    std::string text = error == std::errc() ? std::string(buffer.data(), end) : std::string("0");
    if (int(text.size()) < width)
        text.insert(0, std::size_t(width) - text.size(), ' ');
    return text;
}

std::string formatGeneral(double value, int significantDigits)
{
    std::array<char, 400> buffer;
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::general, significantDigits);
    return error == std::errc() ? std::string(buffer.data(), end) : std::string("0");
}
