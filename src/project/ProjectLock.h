#pragma once

#include "common/TextFile.h"

#include <optional>
#include <string>

// One save of a project at a time, across processes: the desktop program and tavro-cli, or two
// of either. The lock is a file beside the INF ("Rebuilder.INF.tavro-lock") held with the
// system's file lock (an open-file-description lock on Linux, flock on other systems, an
// exclusive delete-on-close handle on Windows), so it ends with its process, however that ends:
// a lock file left by a killed process is stale and taken over. It names its holder for the
// message of a refused save.
class ProjectLock {
public:
    ProjectLock() = default;
    ~ProjectLock() { release(); }
    ProjectLock(const ProjectLock &) = delete;
    ProjectLock &operator=(const ProjectLock &) = delete;

    // Takes the lock of the project whose INF is `infPath`. False with the reason when another
    // process holds it ("another save is in progress (tavro-cli, process 1234)") or when the
    // lock file cannot be made (a read-only folder).
    bool acquire(const std::string &infPath, FileError &error);
    void release();
    bool held() const { return m_held; }

    // Who holds the lock now ("tavro-cli, process 1234"), without taking it and without writing
    // anything; nothing when no process does.
    static std::optional<std::string> holder(const std::string &infPath);
    static std::string lockPath(const std::string &infPath);
    // This process as a lock names it.
    static std::string thisProcess();

private:
    bool m_held = false;
    std::string m_path;
#ifdef _WIN32
    void *m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};

// The reason of a refused save or load when `holder` holds the lock.
std::string heldByText(const std::string &holder);
