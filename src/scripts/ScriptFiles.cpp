#include "scripts/ScriptFiles.h"

#include "common/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
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

namespace {

// The name the new script is written under before it replaces the old one.
std::string stagingPath(const std::string &scriptPath)
{
    return scriptPath + ".tavro-new";
}

std::string reasonOr(const char *fallback)
{
    const std::string text = systemErrorText();
    return text.empty() ? std::string(fallback) : text;
}

bool readAllBytes(const std::string &path, std::string &bytes, std::string &reason)
{
    errno = 0;
#ifdef _WIN32
    std::FILE *file = _wfopen(toFsPath(path).c_str(), L"rb");
#else
    std::FILE *file = std::fopen(path.c_str(), "rb");
#endif
    if (!file) {
        reason = reasonOr("cannot be read");
        return false;
    }
    bytes.clear();
    char buffer[1 << 16];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, count);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        reason = reasonOr("cannot be read");
    return !failed;
}

// Writes `bytes` to a new file that did not exist before, and syncs it. False (and the file
// removed) on any error.
bool writeNewSyncedFile(const std::string &path, const std::string &bytes, std::string &reason)
{
    errno = 0;
#ifdef _WIN32
    const int fd = _wopen(toFsPath(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
    if (fd < 0) {
        reason = reasonOr("cannot be created");
        return false;
    }
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
#ifdef _WIN32
        const int wrote = _write(fd, bytes.data() + done, unsigned(std::min<std::size_t>(bytes.size() - done, 1 << 20)));
#else
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
#endif
        if (wrote <= 0)
            ok = false;
        else
            done += std::size_t(wrote);
    }
#ifdef _WIN32
    ok = ok && _commit(fd) == 0;
    ok = _close(fd) == 0 && ok;
#else
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
#endif
    if (!ok) {
        reason = reasonOr("cannot be written");
        removeFile(path);
    }
    return ok;
}

// A rename would replace a write-protected script too; the protection is respected.
bool isWriteProtected(const std::string &path, std::string &reason)
{
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(toFsPath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        reason = "the file is write-protected";
        return true;
    }
    return false;
#else
    errno = 0;
    if (::access(path.c_str(), W_OK) == 0 || errno == ENOENT)
        return false;
    reason = reasonOr("the file is write-protected");
    return true;
#endif
}

} // namespace

std::string systemErrorText()
{
    return errno == 0 ? std::string() : std::generic_category().message(errno);
}

std::optional<std::vector<std::string>> readScriptElements(const std::string &path, std::string *reason)
{
    errno = 0;
    LineReader in;
    if (path.empty() || !in.open(path)) {
        if (reason)
            *reason = path.empty() ? std::string("the cell names no script") : reasonOr("cannot be opened");
        return std::nullopt;
    }
    std::vector<std::string> elements;
    std::string line;
    while (in.next(line))
        elements.push_back(line);
    if (in.failed()) {
        if (reason)
            *reason = reasonOr("cannot be read");
        return std::nullopt;
    }
    elements.emplace_back();
    return elements;
}

std::optional<std::vector<std::string>> readScriptListing(const std::string &path)
{
    std::optional<std::vector<std::string>> elements = readScriptElements(path);
    if (elements)
        elements->pop_back();
    return elements;
}

std::string scriptBackupPath(const std::string &scriptPath)
{
    return scriptPath + ".bak";
}

bool makeScriptBackupOnce(const std::string &scriptPath, bool &made, std::string &reason)
{
    made = false;
    const std::string backup = scriptBackupPath(scriptPath);
    if (isReadableFile(backup))
        return true;
    std::string bytes;
    if (!readAllBytes(scriptPath, bytes, reason))
        return false;
    static unsigned counter = 0;
    std::random_device seed;
    std::string temporary;
    bool written = false;
    for (int attempt = 0; attempt < 20 && !written; ++attempt) {
        temporary = backup + ".tavro-" + std::to_string(seed() % 1000000u) + "-" + std::to_string(counter++) + ".tmp";
        written = writeNewSyncedFile(temporary, bytes, reason);
        if (!written && errno != EEXIST)
            break;
    }
    if (!written)
        return false;
    // renameFile never replaces: a ".bak" that appeared meanwhile is kept as it is.
    errno = 0;
    if (!renameFile(temporary, backup)) {
        reason = reasonOr("cannot be renamed");
        removeFile(temporary);
        return false;
    }
    made = true;
    return true;
}

ScriptWriteResult replaceScripts(const std::vector<ScriptWrite> &writes)
{
    ScriptWriteResult result;
    std::vector<const ScriptWrite *> targets;
    std::set<std::string> seen;
    for (const ScriptWrite &write : writes)
        if (seen.insert(write.path).second)
            targets.push_back(&write);

    auto fail = [&](ScriptWriteResult::Status status, const std::string &path, std::string reason) {
        result.status = status;
        result.failedPath = path;
        result.reason = std::move(reason);
    };
    for (const ScriptWrite *write : targets) {
        std::string reason;
        if (isWriteProtected(write->path, reason)) {
            fail(ScriptWriteResult::Status::Unchanged, write->path, reason);
            return result;
        }
    }

    // Every new script written and synced under its staging name before any script changes.
    std::vector<std::string> staged;
    auto dropStaged = [&](std::size_t from) {
        for (std::size_t i = from; i < staged.size(); ++i)
            removeFile(staged[i]);
    };
    for (const ScriptWrite *write : targets) {
        const std::string staging = stagingPath(write->path);
        errno = 0;
        LineWriter out;
        if (out.open(staging)) {
            for (const std::string &line : write->lines)
                out.writeLine(line);
            if (out.commit()) {
                staged.push_back(staging);
                continue;
            }
        }
        fail(ScriptWriteResult::Status::Unchanged, write->path, reasonOr("cannot be written"));
        dropStaged(0);
        return result;
    }

    for (std::size_t i = 0; i < targets.size(); ++i) {
        errno = 0;
        if (!replaceFile(staged[i], targets[i]->path)) {
            fail(result.written.empty() ? ScriptWriteResult::Status::Unchanged : ScriptWriteResult::Status::Partial,
                 targets[i]->path, reasonOr("cannot be replaced"));
            dropStaged(i);
            return result;
        }
        result.written.push_back(targets[i]->path);
    }
    return result;
}
