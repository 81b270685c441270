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

// Why a file operation failed: the file concerned, as the user named it, and the system's
// reason ("No space left on device", "Permission denied", ...). Shown as "path: reason".
struct FileError {
    std::string path;
    std::string reason;

    std::string text() const { return path + ": " + reason; }
    void set(const std::string &file, int code);
};

// The system's text for an errno value.
std::string systemErrorText(int code);
// Sets errno from the thread's last Windows error; elsewhere nothing. Callers of the Windows
// file functions use it so that every failure is described the same way.
void errnoFromSystemError();

// Can the file be opened for reading? (The copy rules use "exists" in this sense.) Only a
// regular file can: a folder, a pipe or a device is not one.
bool isReadableFile(const std::string &path);

// The file a chain of symbolic links ends at (the path itself when it is no link). Saving
// through a link replaces that file and leaves the link as it is.
std::string resolveLinks(const std::string &path);

// What tells two versions of a file apart: a replaced file has another identity even when
// its size stays the same.
struct FileIdentity {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0; // nanoseconds, or whatever resolution the system keeps

    bool operator==(const FileIdentity &) const = default;
};
FileIdentity fileIdentity(const std::string &path);

// Could `path` be replaced by a rename now? True when it does not exist; false with the
// reason when it is write-protected, a folder, on a read-only mount, or held open by a
// program that forbids it (Windows).
bool isReplaceable(const std::string &path, FileError &error);

// Makes a rename in the folder of `path` last through a power failure (a no-op where the
// system does not need it).
void syncFolderOf(const std::string &path);

// Reads a text file line by line. A line has any length; a CR right before the LF is not part
// of it; a last line without LF counts; a file that ends with LF has no empty line after it.
class LineReader {
public:
    LineReader() = default;
    explicit LineReader(const std::string &path) { open(path); }
    ~LineReader();
    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;

    // Opens only a regular file, and never waits: a pipe or a device is refused, not read.
    bool open(const std::string &path);
    bool isOpen() const { return m_file != nullptr; }
    // Why open() or reading failed.
    const FileError &error() const { return m_error; }
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
    std::string m_path;
    FileError m_error;
};

// Writes a text file whose every line ends with CR LF, on every platform (the files belong to
// Windows programs). The lines go to a temporary file in the target's folder, and commit()
// replaces the target with it in one rename, so a failure at any point leaves the old target
// untouched. Without a successful commit() (or release()) the temporary file is removed.
// A target that is a symbolic link is written through it: the file the link ends at is
// replaced and the link stays. A replaced file keeps its permission bits.
// The temporary is named "<target file name>.tavro-<number>-<number>.tmp" (see
// isTemporaryOf), so a save can recognise what an interrupted one left.
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
    // Flushes, syncs and closes the temporary without renaming it: the complete new file then
    // waits under temporaryPath() for the caller's rename. False (and removed) on any error.
    bool finish();
    // finish(), then the rename over the target. False (target unchanged) on any error.
    bool commit();
    // Drops what was written; the target stays as it was.
    void abandon();
    // The writer stops owning its finished temporary: it is no longer removed.
    void release() { m_temporary.clear(); }

    // The file that commit() replaces: the target with its links followed.
    const std::string &target() const { return m_target; }
    const std::string &temporaryPath() const { return m_temporary; }
    std::int64_t bytesWritten() const { return m_bytes; }
    // The first failure, with the target as the user named it.
    const FileError &error() const { return m_error; }

private:
    void flushBuffer();
    void fail(int code);

    std::FILE *m_file = nullptr;
    std::string m_buffer;
    std::string m_named;
    std::string m_target;
    std::string m_temporary;
    std::int64_t m_bytes = 0;
    bool m_failed = false;
    bool m_synced = true;
    bool m_finished = false;
    FileError m_error;
};

// Is `name` (a file name without folder) one of LineWriter's temporaries for a file named
// `targetName`?
bool isTemporaryOf(const std::string &name, const std::string &targetName);

// Replaces `target` by `source` in one step (the rename that commit() uses). False with errno
// set when it cannot.
bool replaceFile(const std::string &source, const std::string &target);
// Moves a file to a name that does not exist yet. False when it cannot.
bool renameFile(const std::string &from, const std::string &to);
// Removes a file; true when it is gone (or was never there).
bool removeFile(const std::string &path);
// The file name part of a path, and the path of the folder that holds it.
std::string fileNameOf(const std::string &path);
std::string folderOf(const std::string &path);
