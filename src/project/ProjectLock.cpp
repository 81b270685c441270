#include "project/ProjectLock.h"

#include <cerrno>
#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A lock file that is being removed as its holder lets go can refuse a new holder for a moment
// (and on Windows a process that only looks at the lock opens it for a moment): tried again
// this many times before giving up.
constexpr int attempts = 5;
constexpr auto retryPause = std::chrono::milliseconds(10);

// The holder's name is the file's first line.
std::string firstLine(std::string text)
{
    text = text.substr(0, text.find('\n'));
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return text;
}

// A holder writes its name right after it took the lock; a look in between finds none yet.
template <typename Read>
std::string holderName(Read read)
{
    std::string name = read();
    for (int attempt = 0; name.empty() && attempt < 50; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        name = read();
    }
    return name;
}

std::string programName()
{
#ifdef _WIN32
    std::wstring buffer(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
    buffer.resize(length);
    std::filesystem::path path(buffer);
    std::string name = fromFsPath(path.filename());
    if (name.size() > 4 && (name.substr(name.size() - 4) == ".exe" || name.substr(name.size() - 4) == ".EXE"))
        name.resize(name.size() - 4);
    return name.empty() ? std::string("Tavro") : name;
#else
    std::string buffer(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0)
        return "Tavro";
    buffer.resize(std::size_t(length));
    const std::string name = fileNameOf(buffer);
    return name.empty() ? std::string("Tavro") : name;
#endif
}

#ifdef _WIN32
std::string readHolder(const std::wstring &path)
{
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    std::string text(256, '\0');
    DWORD read = 0;
    if (!ReadFile(handle, text.data(), DWORD(text.size()), &read, nullptr))
        read = 0;
    CloseHandle(handle);
    text.resize(read);
    return firstLine(text);
}
#else
std::string readHolder(int fd)
{
    std::string text(256, '\0');
    const ssize_t read = ::pread(fd, text.data(), text.size(), 0);
    text.resize(read > 0 ? std::size_t(read) : 0);
    return firstLine(text);
}
#endif

} // namespace

std::string heldByText(const std::string &holder)
{
    return holder.empty() ? std::string("another save is in progress")
                          : "another save is in progress (" + holder + ")";
}

std::string ProjectLock::lockPath(const std::string &infPath)
{
    return infPath + ".tavro-lock";
}

std::string ProjectLock::thisProcess()
{
#ifdef _WIN32
    const unsigned long id = GetCurrentProcessId();
#else
    const unsigned long id = (unsigned long)::getpid();
#endif
    return programName() + ", process " + std::to_string(id);
}

#ifdef _WIN32

bool ProjectLock::acquire(const std::string &infPath, FileError &error)
{
    release();
    m_path = lockPath(infPath);
    const std::wstring wide = toFsPath(m_path).wstring();
    for (int attempt = 1;; ++attempt) {
        // Others may read it (to name the holder) but not open it for writing: that is the lock.
        // The system deletes the file when the handle closes, also when the process is killed.
        const HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                          FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            const std::string text = thisProcess() + "\r\n";
            DWORD written = 0;
            WriteFile(handle, text.data(), DWORD(text.size()), &written, nullptr);
            SetEndOfFile(handle);
            m_handle = handle;
            m_held = true;
            return true;
        }
        const DWORD code = GetLastError();
        // A lock file being deleted as its holder ends refuses access for a moment.
        const bool held = code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
        if (!held && code != ERROR_ACCESS_DENIED) {
            errnoFromSystemError();
            error.set(m_path, errno);
            return false;
        }
        if (attempt < attempts) {
            std::this_thread::sleep_for(retryPause);
            continue;
        }
        if (held)
            error = {infPath, heldByText(holderName([&] { return readHolder(wide); }))};
        else
            error.set(m_path, EACCES);
        return false;
    }
}

void ProjectLock::release()
{
    if (m_handle)
        CloseHandle(static_cast<HANDLE>(m_handle));
    m_handle = nullptr;
    m_held = false;
}

std::optional<std::string> ProjectLock::holder(const std::string &infPath)
{
    const std::wstring wide = toFsPath(lockPath(infPath)).wstring();
    const HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle); // a lock file nobody holds
        return std::nullopt;
    }
    if (GetLastError() != ERROR_SHARING_VIOLATION)
        return std::nullopt;
    return holderName([&] { return readHolder(wide); });
}

#else

namespace {

// Open-file-description locks where the system has them: held per open file, released when it
// closes, and a second process can ask who holds one without taking it (a load only looks).
// Elsewhere flock(), where looking means taking a shared lock for a moment.
bool lockExclusively(int fd)
{
#ifdef F_OFD_SETLK
    struct flock range {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &range) == 0;
#else
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
#endif
}

bool isLockedElsewhere(int fd)
{
#ifdef F_OFD_GETLK
    struct flock range {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_GETLK, &range) == 0 && range.l_type != F_UNLCK;
#else
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
        ::flock(fd, LOCK_UN);
        return false;
    }
    return errno == EWOULDBLOCK;
#endif
}

} // namespace

bool ProjectLock::acquire(const std::string &infPath, FileError &error)
{
    release();
    m_path = lockPath(infPath);
    for (int attempt = 1;; ++attempt) {
        const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644);
        if (fd < 0) {
            error.set(m_path, errno);
            return false;
        }
        if (!lockExclusively(fd)) {
            const int code = errno;
            const std::string who = holderName([fd] { return readHolder(fd); });
            ::close(fd);
            if (code == EAGAIN || code == EACCES || code == EWOULDBLOCK)
                error = {infPath, heldByText(who)};
            else
                error.set(m_path, code);
            return false;
        }
        // The holder before removes the file as it lets go; a file opened before that is no
        // longer the lock, so the lock is taken on the file that has the name now.
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) != 0 || ::stat(m_path.c_str(), &named) != 0 || opened.st_ino != named.st_ino
            || opened.st_dev != named.st_dev) {
            ::close(fd);
            if (attempt < attempts)
                continue;
            error.set(m_path, EBUSY);
            return false;
        }
        // Written over the name of an earlier holder, then cut to length: a look never finds
        // the file emptied again.
        const std::string text = thisProcess() + "\n";
        if (::pwrite(fd, text.data(), text.size(), 0) != ssize_t(text.size()) || ::ftruncate(fd, off_t(text.size())) != 0) {
            // The name is only for messages; the lock holds without it.
        }
        m_fd = fd;
        m_held = true;
        return true;
    }
}

void ProjectLock::release()
{
    if (m_fd >= 0) {
        ::unlink(m_path.c_str());
        ::close(m_fd);
    }
    m_fd = -1;
    m_held = false;
}

std::optional<std::string> ProjectLock::holder(const std::string &infPath)
{
    const int fd = ::open(lockPath(infPath).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> who;
    if (isLockedElsewhere(fd))
        who = holderName([fd] { return readHolder(fd); });
    ::close(fd);
    return who;
}

#endif
