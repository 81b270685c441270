#pragma once

#include <string>

// printf-style formatting into a std::string. The program's texts are printf formats
// ("VTS %2d - Vob-ID %3d"), so they are kept as such.
#if defined(__GNUC__) || defined(__clang__)
std::string cformat(const char *format, ...) __attribute__((format(printf, 1, 2)));
#else
std::string cformat(const char *format, ...);
#endif

// Fixed-point text with `decimals` places, at least `width` characters, padded with spaces
// on the left ("%*.*f"), always with "." whatever the process locale says.
std::string formatFixed(double value, int width, int decimals);

// The general format ("%.*g") with `significantDigits` digits, always with "." whatever the
// process locale says: 6 digits for the windows' single-precision figures, 15 for doubles.
std::string formatGeneral(double value, int significantDigits);
