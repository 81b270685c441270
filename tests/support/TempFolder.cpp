#include "support/TempFolder.h"

#include "common/TextFile.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

TempFolder::TempFolder()
{
    static std::atomic<unsigned> counter{0};
    std::random_device seed;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        const auto candidate = base / ("tavro-test-" + std::to_string(seed()) + "-" + std::to_string(counter++));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            m_path = fromFsPath(candidate);
            break;
        }
    }
}

TempFolder::~TempFolder()
{
    std::error_code error;
    // Tests may have taken permissions away; give them back so the folder can go.
    std::filesystem::permissions(toFsPath(m_path), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(toFsPath(m_path), error);
}

std::string TempFolder::file(const std::string &name) const
{
    return fromFsPath(toFsPath(m_path) / toFsPath(name));
}

std::string TempFolder::write(const std::string &name, const std::string &bytes) const
{
    const std::string path = file(name);
    std::ofstream out(toFsPath(path), std::ios::binary);
    out << bytes;
    return path;
}

bool TempFolder::writeTo(const std::string &path, const std::string &bytes)
{
    std::ofstream out(toFsPath(path), std::ios::binary);
    out << bytes;
    out.close();
    return bool(out);
}

std::string readBytes(const std::string &path)
{
    std::ifstream in(toFsPath(path), std::ios::binary);
    if (!in)
        return "<missing>";
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool fileExists(const std::string &path)
{
    std::error_code error;
    return std::filesystem::exists(toFsPath(path), error);
}

std::string crlf(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";
    return text;
}
