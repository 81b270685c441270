#pragma once

#include <string>

// Small file systems for failure tests: a tmpfs of a given size (a disk that fills up), made
// read-only on demand, and read-only bind mounts of single files. Needs the right to mount
// (root on Linux); available() says whether this machine gives it.
class ScratchMount {
public:
    // Mounts a tmpfs of `bytes` at a new temporary folder. Check mounted() afterwards.
    explicit ScratchMount(long long bytes);
    ~ScratchMount();
    ScratchMount(const ScratchMount &) = delete;
    ScratchMount &operator=(const ScratchMount &) = delete;

    static bool available();
    bool mounted() const { return m_mounted; }
    const std::string &path() const { return m_path; }
    std::string file(const std::string &name) const { return m_path + "/" + name; }

    bool makeReadOnly();
    // Binds `path` onto itself read-only: the file can be read but neither written nor replaced.
    bool protectFile(const std::string &path);

private:
    std::string m_path;
    bool m_mounted = false;
    std::string m_protected;
};
