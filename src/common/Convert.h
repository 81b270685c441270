#pragma once

#include <cstdint>
#include <string_view>

// The numbers in DVD-Rebuilder's and CCE's files are read the way C's atoi/atof read them:
// leading blanks, an optional sign, digits; reading stops at the first character that does
// not fit, and text without a number gives 0. Unlike atoi these never overflow: values
// beyond the type's range are clamped to it. They ignore the process locale.

int leadingInt(std::string_view text);
std::int64_t leadingLong(std::string_view text);
// Also takes a fraction after "." and an exponent ("1.5e3").
double leadingReal(std::string_view text);

// Is `line` at least as long as `key`, and does it start with it (case-sensitive)?
inline bool startsWith(std::string_view line, std::string_view key)
{
    return line.substr(0, key.size()) == key;
}
