#pragma once

// A custom quantization matrix: a text file whose first 16 lines are copied, unchanged, into a
// segment's qmatLines and written by the list writer after "qmat=". The program does not read
// the matrix; it checks the file's shape and its first value, so a wrong file is refused
// before it reaches CCE.

#include <array>
#include <optional>
#include <string>

class Desktop;
class Segment;

inline constexpr const char *matricesChooserTitle = "Select your custom matrices ...";
inline constexpr const char *matricesChooserFilter = "Custom matrices|*.*||";
inline constexpr const char *matricesErrorMessage = "Error loading matrices";

inline constexpr int matrixLineCount = 16;
inline constexpr std::size_t shortestMatrixLine = 16;
// Lines of the encoding list stay within 255 characters; cutting a longer matrix line would
// silently lose part of the matrix, so such a file is refused instead.
inline constexpr std::size_t longestMatrixLine = 255;
// The first value of every matrix file (the intra matrix starts at 8).
inline constexpr int firstMatrixValue = 8;

using MatrixLines = std::array<std::string, matrixLineCount>;

// The first 16 lines of a matrices file, each cut at its first carriage return; nothing when
// the file cannot be read, has fewer than 16 lines, a line shorter than 16 or longer than 255
// characters among them, or a first value other than 8. Lines after the sixteenth are not read.
std::optional<MatrixLines> readMatricesFile(const std::string &path);

enum class MatricesLoad { Loaded, Cancelled, Failed };

// "Custom" in a settings window's matrices list: asks for the file, and on success stores its
// lines in the segment with qmatIndex -1. Dismissing the chooser changes nothing. A file that
// is refused says "Error loading matrices", turns qmatIndex -1 into the built-in 0, and keeps
// the segment's previous lines: lines of a refused file must never reach a saved list.
MatricesLoad loadCustomMatrices(Segment &segment, Desktop &desktop);
