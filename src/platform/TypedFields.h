#pragma once

// Reading the number a user typed into a window's field. Each reader shows the window's
// message through Desktop and gives nothing when the text is refused, so a command that gets
// nothing stops there. Blanks around the number are allowed; anything else after it is not.

#include <optional>
#include <string>

class Desktop;

inline constexpr const char *integerMessage = "Please enter an integer.";
inline constexpr const char *positiveIntegerMessage = "Please enter a positive integer.";
inline constexpr const char *integerRangeMessage = "Please enter an integer between %1 and %2.";
inline constexpr const char *numberMessage = "Please enter a number.";
inline constexpr const char *numberRangeMessage = "Please enter a number between %1 and %2.";

// The parsers alone, without a message.
std::optional<long long> parseInteger(const std::string &text);
std::optional<double> parseNumber(const std::string &text);

// "Please enter an integer." for text that is no integer (or one beyond int).
std::optional<int> readInteger(Desktop &desktop, const std::string &text);
// "Please enter a positive integer." for text that is no unsigned integer; values beyond int
// are capped at INT_MAX instead of wrapping.
std::optional<int> readPositiveInteger(Desktop &desktop, const std::string &text);
// "Please enter an integer." or "Please enter an integer between %1 and %2.".
std::optional<int> readIntegerBetween(Desktop &desktop, const std::string &text, int minimum, int maximum);
// "Please enter a number."
std::optional<double> readNumber(Desktop &desktop, const std::string &text);
// "Please enter a number." or "Please enter a number between %1 and %2." (bounds in the
// general format, as the window shows them).
std::optional<double> readNumberBetween(Desktop &desktop, const std::string &text, double minimum, double maximum);

// The range message with its bounds filled in.
std::string integerRangeText(long long minimum, long long maximum);
std::string numberRangeText(double minimum, double maximum);
