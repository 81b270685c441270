#include "FuzzSupport.h"

#include "common/Format.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fuzz {

ProjectInput splitProjectInput(const std::uint8_t *data, std::size_t size)
{
    const char *text = reinterpret_cast<const char *>(data);
    // memmem, not string_view::find: libFuzzer watches memmem's arguments and learns the separator.
    const void *found = size == 0 ? nullptr : memmem(text, size, eclSeparator.data(), eclSeparator.size());
    if (!found)
        return {std::string(text, size), std::string()};
    const std::size_t at = std::size_t(static_cast<const char *>(found) - text);
    return {std::string(text, at), std::string(text + at + eclSeparator.size(), size - at - eclSeparator.size())};
}

std::string joinProjectInput(const std::string &inf, const std::string &ecl)
{
    return inf + std::string(eclSeparator) + ecl;
}

namespace {

std::filesystem::path makeScratchFolder()
{
    std::error_code error;
    std::filesystem::path base = "/dev/shm";
    if (!std::filesystem::is_directory(base, error) || access(base.c_str(), W_OK) != 0)
        base = std::filesystem::temp_directory_path();
    const std::filesystem::path folder = base / ("tavro-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder, error);
    if (error)
        fail("cannot create the scratch folder " + folder.string() + ": " + error.message());
    return folder;
}

struct Scratch {
    std::filesystem::path folder = makeScratchFolder();
    std::string path = folder.string();
    ~Scratch()
    {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
};

Scratch &scratch()
{
    static Scratch instance;
    return instance;
}

} // namespace

const std::string &scratchFolder()
{
    return scratch().path;
}

std::string scratchFile(const std::string &name)
{
    return scratchFolder() + "/" + name;
}

void writeFile(const std::string &path, std::string_view bytes)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        fail("cannot write " + path);
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written)
        fail("cannot write " + path);
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void clearScratchFolder()
{
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(scratch().folder, error))
        std::filesystem::remove(entry.path(), error);
}

void fail(const std::string &reason)
{
    std::fprintf(stderr, "\n*** %s\n", reason.c_str());
    std::fflush(stderr);
    std::abort();
}

void checkModel(const Project &project, const char *where)
{
    for (int s = 0; s < int(project.segments.size()); ++s) {
        const Segment &segment = project.segment(s);
        int significant = 0;
        for (const Cell &cell : segment.cells) {
            significant += cell.significant ? 1 : 0;
            require(cell.bitrate >= 0,
                    cformat("%s: segment %d has a cell at %d kbit/s", where, s, cell.bitrate));
        }
        require(segment.totalFrames == segment.frameSum(),
                cformat("%s: segment %d counts %lld frames, its cells hold %lld", where, s,
                        (long long)segment.totalFrames, (long long)segment.frameSum()));
        require(segment.significantCells == significant,
                cformat("%s: segment %d counts %d significant cells, it has %d", where, s, segment.significantCells,
                        significant));
    }
}

} // namespace fuzz
