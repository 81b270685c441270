#include "common/TextFile.h"

#include <atomic>
#include <cstring>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef _WIN32
namespace {

std::wstring widened(const std::string &text, UINT codePage, DWORD flags)
{
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(codePage, flags, text.data(), int(text.size()), nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

} // namespace

// std::filesystem would throw on bytes that are not UTF-8. Such a path comes from a file that a
// Windows program wrote in the ANSI code page (a script name in the ECL), so it is read that way.
std::filesystem::path toFsPath(const std::string &utf8Path)
{
    if (utf8Path.empty())
        return {};
    std::wstring wide = widened(utf8Path, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (wide.empty())
        wide = widened(utf8Path, CP_ACP, 0);
    return std::filesystem::path(wide);
}

std::string fromFsPath(const std::filesystem::path &path)
{
    const std::wstring &wide = path.native();
    if (wide.empty())
        return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string text(std::size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), text.data(), length, nullptr, nullptr);
    return text;
}
#else
std::filesystem::path toFsPath(const std::string &utf8Path)
{
    return std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end()));
}

std::string fromFsPath(const std::filesystem::path &path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
#endif

namespace {

constexpr std::size_t readChunk = 1 << 16;
const char *const notRegular = "not a regular file (a pipe, a device or a socket)";

// Opens a regular file for reading without ever waiting: a pipe with no writer or a device
// would block or read without end, so they are refused before the first read.
std::FILE *openRegularFile(const std::string &path, FileError &error)
{
#ifdef _WIN32
    const std::wstring wide = toFsPath(path).wstring();
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error.set(path, EISDIR);
        return nullptr;
    }
    const int fd = _wopen(wide.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) {
        error.set(path, errno);
        return nullptr;
    }
    struct _stat64 status {};
    if (_fstat64(fd, &status) != 0 || !(status.st_mode & _S_IFREG)) {
        _close(fd);
        error = {path, notRegular};
        return nullptr;
    }
    std::FILE *file = _fdopen(fd, "rb");
    if (!file) {
        error.set(path, errno);
        _close(fd);
    }
    return file;
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error.set(path, errno);
        return nullptr;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const bool folder = S_ISDIR(status.st_mode);
        ::close(fd);
        if (folder)
            error.set(path, EISDIR);
        else
            error = {path, notRegular};
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE *file = ::fdopen(fd, "rb");
    if (!file) {
        error.set(path, errno);
        ::close(fd);
    }
    return file;
#endif
}

} // namespace

void FileError::set(const std::string &file, int code)
{
    path = file;
    reason = systemErrorText(code);
}

std::string systemErrorText(int code)
{
    return std::generic_category().message(code);
}

void errnoFromSystemError()
{
#ifdef _WIN32
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE: errno = ENOENT; break;
    case ERROR_ACCESS_DENIED:
    case ERROR_CURRENT_DIRECTORY: errno = EACCES; break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: errno = EBUSY; break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: errno = ENOSPC; break;
    case ERROR_WRITE_PROTECT: errno = EROFS; break;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW: errno = ENAMETOOLONG; break;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: errno = EEXIST; break;
    case ERROR_DIRECTORY: errno = ENOTDIR; break;
    case ERROR_NOT_SAME_DEVICE: errno = EXDEV; break;
    case ERROR_INVALID_NAME: errno = EINVAL; break;
    default: errno = EIO; break;
    }
#endif
}

bool isReadableFile(const std::string &path)
{
    FileError error;
    std::FILE *file = openRegularFile(path, error);
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

std::string resolveLinks(const std::string &path)
{
    std::filesystem::path current = toFsPath(path);
    // A loop of links ends here after this many steps; opening the path then reports it.
    for (int step = 0; step < 40; ++step) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error)) || error)
            break;
        const std::filesystem::path next = std::filesystem::read_symlink(current, error);
        if (error)
            break;
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return fromFsPath(current);
}

FileIdentity fileIdentity(const std::string &path)
{
    FileIdentity identity;
#ifdef _WIN32
    const HANDLE handle = CreateFileW(toFsPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return identity;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(handle, &info)) {
        identity.exists = true;
        identity.device = info.dwVolumeSerialNumber;
        identity.inode = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        identity.size = std::int64_t((std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
        identity.modified =
            std::int64_t((std::uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime);
    }
    CloseHandle(handle);
#else
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return identity;
    identity.exists = true;
    identity.device = std::uint64_t(status.st_dev);
    identity.inode = std::uint64_t(status.st_ino);
    identity.size = std::int64_t(status.st_size);
    identity.modified = std::int64_t(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
#endif
    return identity;
}

bool isReplaceable(const std::string &path, FileError &error)
{
#ifdef _WIN32
    const std::wstring wide = toFsPath(path).wstring();
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            return true;
        errnoFromSystemError();
        error.set(path, errno);
        return false;
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
        error.set(path, (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EISDIR : EACCES);
        return false;
    }
    const HANDLE handle = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errnoFromSystemError();
        error.set(path, errno);
        return false;
    }
    CloseHandle(handle);
    return true;
#else
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT)
            return true;
        error.set(path, errno);
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        error.set(path, EISDIR);
        return false;
    }
    // A rename would replace a write-protected file too; respect the protection. Opening it for
    // writing (without truncating) also finds a read-only mount.
    if (::access(path.c_str(), W_OK) != 0) {
        error.set(path, errno);
        return false;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error.set(path, errno);
        return false;
    }
    ::close(fd);
    return true;
#endif
}

void syncFolderOf(const std::string &path)
{
#ifndef _WIN32
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)path;
#endif
}

LineReader::~LineReader()
{
    close();
}

bool LineReader::open(const std::string &path)
{
    close();
    m_error = {};
    m_file = openRegularFile(path, m_error);
    m_path = path;
    m_pending.reset();
    m_buffer.resize(readChunk);
    m_pos = m_end = 0;
    m_eof = m_failed = false;
    m_lineNumber = 0;
    return m_file != nullptr;
}

void LineReader::close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}

void LineReader::unread(std::string line)
{
    m_pending = std::move(line);
    --m_lineNumber;
}

bool LineReader::next(std::string &line)
{
    if (m_pending) {
        line = std::move(*m_pending);
        m_pending.reset();
        ++m_lineNumber;
        return true;
    }
    line.clear();
    if (!m_file)
        return false;
    bool any = false;
    for (;;) {
        if (m_pos == m_end) {
            if (m_eof)
                break;
            m_end = std::fread(m_buffer.data(), 1, m_buffer.size(), m_file);
            m_pos = 0;
            if (m_end < m_buffer.size()) {
                m_eof = true;
                if (std::ferror(m_file)) {
                    m_error.set(m_path, errno);
                    m_failed = true;
                    return false;
                }
            }
            if (m_end == 0)
                break;
        }
        any = true;
        const char *start = m_buffer.data() + m_pos;
        const void *newline = std::memchr(start, '\n', m_end - m_pos);
        if (newline) {
            const std::size_t length = std::size_t(static_cast<const char *>(newline) - start);
            line.append(start, length);
            m_pos += length + 1;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            ++m_lineNumber;
            return true;
        }
        line.append(start, m_end - m_pos);
        m_pos = m_end;
    }
    if (!any)
        return false;
    // The last line had no LF; a CR at its very end is still a line end.
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    ++m_lineNumber;
    return true;
}

LineWriter::~LineWriter()
{
    abandon();
}

void LineWriter::fail(int code)
{
    if (!m_failed)
        m_error.set(m_named, code);
    m_failed = true;
}

bool LineWriter::open(const std::string &targetPath, bool synced)
{
    abandon();
    m_synced = synced;
    m_named = targetPath;
    m_target = resolveLinks(targetPath);
    m_failed = m_finished = false;
    m_bytes = 0;
    m_error = {};
    FileError problem;
    if (!isReplaceable(m_target, problem)) {
        m_error = {m_named, problem.reason};
        m_failed = true;
        return false;
    }
    static std::atomic<unsigned> counter{0};
    std::random_device seed;
    int code = 0;
    for (int attempt = 0; attempt < 20 && !m_file; ++attempt) {
        m_temporary = m_target + ".tavro-" + std::to_string(seed() % 1000000u) + "-" + std::to_string(counter++) + ".tmp";
#ifdef _WIN32
        // Not _wfopen(..., L"wxb"): msvcrt.dll does not know "x" and would open an existing file.
        const int fd = _wopen(toFsPath(m_temporary).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                              _S_IREAD | _S_IWRITE);
        code = errno;
        if (fd >= 0) {
            m_file = _fdopen(fd, "wb");
            if (!m_file)
                _close(fd);
        }
#else
        const int fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        code = errno;
        if (fd >= 0) {
            // The new file takes the place of the old one, permissions included.
            struct stat status {};
            if (::stat(m_target.c_str(), &status) == 0) {
                ::fchmod(fd, status.st_mode & 07777);
                if (::geteuid() == 0 && ::fchown(fd, status.st_uid, status.st_gid) != 0) {
                    // Owned by root, as any file root writes: no worse than before.
                }
            }
            m_file = ::fdopen(fd, "wb");
            if (!m_file)
                ::close(fd);
        }
#endif
        if (!m_file && code != EEXIST)
            break;
    }
    if (!m_file) {
        m_temporary.clear();
        fail(code);
        return false;
    }
    return true;
}

void LineWriter::writeLine(std::string_view line)
{
    if (!m_file || m_failed)
        return;
    // Lines gather in one buffer and reach the file in large writes.
    m_buffer.append(line);
    m_buffer.append("\r\n", 2);
    if (m_buffer.size() >= (1u << 16))
        flushBuffer();
}

void LineWriter::flushBuffer()
{
    if (!m_buffer.empty() && !m_failed) {
        if (std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
            fail(errno);
        else
            m_bytes += std::int64_t(m_buffer.size());
    }
    m_buffer.clear();
}

bool LineWriter::finish()
{
    if (m_finished)
        return !m_failed;
    if (!m_file)
        return false;
    flushBuffer();
    if (!m_failed && std::fflush(m_file) != 0)
        fail(errno);
    // The rename must not reach the disk before the data does.
#ifdef _WIN32
    if (!m_failed && m_synced && _commit(_fileno(m_file)) != 0)
        fail(errno);
#else
    if (!m_failed && m_synced && ::fsync(fileno(m_file)) != 0)
        fail(errno);
#endif
    if (std::fclose(m_file) != 0)
        fail(errno);
    m_file = nullptr;
    m_finished = true;
    if (m_failed) {
        std::error_code error;
        std::filesystem::remove(toFsPath(m_temporary), error);
        m_temporary.clear();
    }
    return !m_failed;
}

bool LineWriter::commit()
{
    if (!finish())
        return false;
    if (m_temporary.empty())
        return false;
    if (!replaceFile(m_temporary, m_target)) {
        fail(errno);
        std::error_code error;
        std::filesystem::remove(toFsPath(m_temporary), error);
    }
    m_temporary.clear();
    return !m_failed;
}

void LineWriter::abandon()
{
    m_buffer.clear();
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temporary.empty()) {
        std::error_code error;
        std::filesystem::remove(toFsPath(m_temporary), error);
        m_temporary.clear();
    }
}

bool isTemporaryOf(const std::string &name, const std::string &targetName)
{
    const std::string prefix = targetName + ".tavro-";
    const std::string suffix = ".tmp";
    if (name.size() < prefix.size() + suffix.size() + 3)
        return false;
    std::string head = name.substr(0, prefix.size());
#ifdef _WIN32
    // Windows file names match without regard to case.
    auto lower = [](std::string text) {
        for (char &c : text)
            c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        return text;
    };
    if (lower(head) != lower(prefix))
        return false;
#else
    if (head != prefix)
        return false;
#endif
    if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    // "<number>-<number>" between them.
    const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const std::size_t dash = middle.find('-');
    if (dash == std::string::npos || dash == 0 || dash + 1 == middle.size())
        return false;
    for (std::size_t i = 0; i < middle.size(); ++i) {
        if (i != dash && (middle[i] < '0' || middle[i] > '9'))
            return false;
    }
    return true;
}

bool replaceFile(const std::string &source, const std::string &target)
{
#ifdef _WIN32
    if (MoveFileExW(toFsPath(source).c_str(), toFsPath(target).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errnoFromSystemError();
    return false;
#else
    return std::rename(source.c_str(), target.c_str()) == 0;
#endif
}

bool renameFile(const std::string &from, const std::string &to)
{
#ifdef _WIN32
    if (MoveFileExW(toFsPath(from).c_str(), toFsPath(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    errnoFromSystemError();
    return false;
#else
    // rename() would silently replace an existing target; link + unlink refuses to.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    if (::unlink(from.c_str()) != 0) {
        const int code = errno;
        ::unlink(to.c_str());
        errno = code;
        return false;
    }
    return true;
#endif
}

bool removeFile(const std::string &path)
{
    std::error_code error;
    std::filesystem::remove(toFsPath(path), error);
    return !error;
}

std::string fileNameOf(const std::string &path)
{
    return fromFsPath(toFsPath(path).filename());
}

std::string folderOf(const std::string &path)
{
    const std::filesystem::path folder = toFsPath(path).parent_path();
    return folder.empty() ? std::string(".") : fromFsPath(folder);
}
