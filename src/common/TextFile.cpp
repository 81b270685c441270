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

std::FILE *openFile(const std::string &path, bool forWriting)
{
#ifdef _WIN32
    return _wfopen(toFsPath(path).c_str(), forWriting ? L"wb" : L"rb");
#else
    return std::fopen(path.c_str(), forWriting ? "wb" : "rb");
#endif
}

constexpr std::size_t readChunk = 1 << 16;

} // namespace

bool isReadableFile(const std::string &path)
{
    std::error_code error;
    if (std::filesystem::is_directory(toFsPath(path), error))
        return false;
    std::FILE *file = openFile(path, false);
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

LineReader::~LineReader()
{
    close();
}

bool LineReader::open(const std::string &path)
{
    close();
    std::error_code error;
    if (std::filesystem::is_directory(toFsPath(path), error))
        return false;
    m_file = openFile(path, false);
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

bool LineWriter::open(const std::string &targetPath, bool synced)
{
    abandon();
    m_target = targetPath;
    m_failed = false;
    m_synced = synced;
#ifndef _WIN32
    // A rename would replace a write-protected file too; respect the protection.
    if (::access(targetPath.c_str(), F_OK) == 0 && ::access(targetPath.c_str(), W_OK) != 0) {
        m_failed = true;
        return false;
    }
#else
    const DWORD attributes = GetFileAttributesW(toFsPath(targetPath).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        m_failed = true;
        return false;
    }
#endif
    static std::atomic<unsigned> counter{0};
    std::random_device seed;
    for (int attempt = 0; attempt < 20 && !m_file; ++attempt) {
        m_temporary = targetPath + ".tavro-" + std::to_string(seed() % 1000000u) + "-"
            + std::to_string(counter++) + ".tmp";
#ifdef _WIN32
        // Not _wfopen(..., L"wxb"): msvcrt.dll does not know "x" and would open an existing file.
        const int fd = _wopen(toFsPath(m_temporary).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                              _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            m_file = _fdopen(fd, "wb");
            if (!m_file)
                _close(fd);
        }
#else
        const int fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_file = fdopen(fd, "wb");
            if (!m_file)
                ::close(fd);
        }
#endif
        if (!m_file && errno != EEXIST)
            break;
    }
    if (!m_file) {
        m_temporary.clear();
        m_failed = true;
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
    if (!m_buffer.empty() && !m_failed && std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
        m_failed = true;
    m_buffer.clear();
}

bool LineWriter::commit()
{
    if (!m_file)
        return false;
    flushBuffer();
    bool ok = !m_failed && std::fflush(m_file) == 0;
    // The rename must not reach the disk before the data does.
#ifdef _WIN32
    if (ok && m_synced)
        ok = _commit(_fileno(m_file)) == 0;
#else
    if (ok && m_synced)
        ok = ::fsync(fileno(m_file)) == 0;
#endif
    ok = std::fclose(m_file) == 0 && ok;
    m_file = nullptr;
    if (ok)
        ok = replaceFile(m_temporary, m_target);
    if (!ok) {
        std::error_code error;
        std::filesystem::remove(toFsPath(m_temporary), error);
        m_failed = true;
    }
    m_temporary.clear();
    return ok;
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

bool replaceFile(const std::string &source, const std::string &target)
{
#ifdef _WIN32
    return MoveFileExW(toFsPath(source).c_str(), toFsPath(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(source.c_str(), target.c_str()) == 0;
#endif
}

bool renameFile(const std::string &from, const std::string &to)
{
#ifdef _WIN32
    return MoveFileExW(toFsPath(from).c_str(), toFsPath(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
#else
    // rename() would silently replace an existing target; link + unlink refuses to.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    if (::unlink(from.c_str()) != 0) {
        ::unlink(to.c_str());
        return false;
    }
    return true;
#endif
}
