#include "support/ScratchMount.h"

#ifdef __linux__
#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

ScratchMount::ScratchMount(long long bytes)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tavro-mount-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return;
    m_path = pattern;
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    m_mounted = ::mount("tmpfs", m_path.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

ScratchMount::~ScratchMount()
{
    if (!m_protected.empty())
        ::umount2(m_protected.c_str(), MNT_DETACH);
    if (m_mounted)
        ::umount2(m_path.c_str(), MNT_DETACH);
    if (!m_path.empty())
        ::rmdir(m_path.c_str());
}

bool ScratchMount::available()
{
    static const bool canMount = [] {
        ScratchMount probe(4096);
        return probe.mounted();
    }();
    return canMount;
}

bool ScratchMount::makeReadOnly()
{
    return m_mounted
        && ::mount("tmpfs", m_path.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

bool ScratchMount::protectFile(const std::string &path)
{
    if (::mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) != 0)
        return false;
    m_protected = path;
    return ::mount(path.c_str(), path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

#else

ScratchMount::ScratchMount(long long) {}
ScratchMount::~ScratchMount() = default;
bool ScratchMount::available() { return false; }
bool ScratchMount::makeReadOnly() { return false; }
bool ScratchMount::protectFile(const std::string &) { return false; }

#endif
