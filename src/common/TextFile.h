#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Paths travel through the program as UTF-8 strings; this turns one into a filesystem path
// (on Windows the wide form, so names with non-ASCII letters open correctly; bytes that are not
// UTF-8 are read in the ANSI code page there, as the Windows programs wrote them). Never throws.
std::filesystem::path toFsPath(const std::string &utf8Path);
std::string fromFsPath(const std::filesystem::path &path);

// Can the file be opened for reading? (The copy rules use "exists" in this sense.)
bool isReadableFile(const std::string &path);

// Reads a text file line by line. A line has any length; a CR right before the LF is not part
// of it; a last line without LF counts; a file that ends with LF has no empty line after it.
class LineReader {
public:
    LineReader() = default;
    explicit LineReader(const std::string &path) { open(path); }
    ~LineReader();
    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;

    bool open(const std::string &path);
    bool isOpen() const { return m_file != nullptr; }
    // False at the end of the file or on a read error (see failed()).
    bool next(std::string &line);
    // Hands `line` out again at the next call of next(): for readers that find the end of a
    // block only by reading the line after it.
    void unread(std::string line);
    bool failed() const { return m_failed; }
    // 1-based number of the line that next() returned last.
    long long lineNumber() const { return m_lineNumber; }
    void close();

private:
    std::FILE *m_file = nullptr;
    std::optional<std::string> m_pending;
    std::vector<char> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_eof = false;
    bool m_failed = false;
    long long m_lineNumber = 0;
};

// Writes a text file whose every line ends with CR LF, on every platform (the files belong to
// Windows programs). The lines go to a temporary file in the target's folder, and commit()
// replaces the target with it in one rename, so a failure at any point leaves the old target
// untouched. Without a successful commit() the temporary file is removed.
class LineWriter {
public:
    LineWriter() = default;
    explicit LineWriter(const std::string &targetPath) { open(targetPath); }
    ~LineWriter();
    LineWriter(const LineWriter &) = delete;
    LineWriter &operator=(const LineWriter &) = delete;

    // `synced`: the lines reach the disk before the rename. Scratch files that are made again
    // whenever they are needed (the sample files of a prediction, rewritten at every trial)
    // skip that wait; they are still replaced in one step.
    bool open(const std::string &targetPath, bool synced = true);
    bool isOpen() const { return m_file != nullptr; }
    void writeLine(std::string_view line);
    bool failed() const { return m_failed; }
    // Flushes, closes and renames over the target. False (target unchanged) on any error.
    bool commit();
    // Drops what was written; the target stays as it was.
    void abandon();

private:
    void flushBuffer();

    std::FILE *m_file = nullptr;
    std::string m_buffer;
    std::string m_target;
    std::string m_temporary;
    bool m_failed = false;
    bool m_synced = true;
};

// Replaces `target` by `source` in one step (the rename that commit() uses).
bool replaceFile(const std::string &source, const std::string &target);
// Moves a file to a name that does not exist yet. False when it cannot.
bool renameFile(const std::string &from, const std::string &to);
