#include "project/CellIndex.h"
#include "project/ProjectFiles.h"

#include "common/Convert.h"
#include "common/Format.h"
#include "common/TextFile.h"
#include "encoder/EncoderKinds.h"
#include "platform/Desktop.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr std::string_view frameRateKey = "Frame_Rate_Code=";
constexpr std::string_view framesKey = "Frames";
constexpr std::string_view reductionKey = "Reduction=";

// Frames per second of DVD-Rebuilder's frame-rate codes 1 to 5; 0 for any other code.
double framesPerSecond(int code)
{
    switch (code) {
    case 1: return 23.976;
    case 2: return 24.0;
    case 3: return 25.0;
    case 4: return 29.97;
    case 5: return 30.0;
    default: return 0.0;
    }
}

// No DVD cell comes near this; a larger count is a damaged file, and accepting it would let
// the frame x bitrate sums overflow.
constexpr int maxFrames = 100'000'000;

// No disc comes near this many sectors (2 PiB); a larger size, or a sum of title set sizes beyond
// it, is a damaged file, and accepting it would let the size sums and the disc figures overflow.
constexpr std::int64_t maxSectors = std::int64_t(1) << 40;

bool isPossibleSize(std::int64_t sectors)
{
    return sectors >= -maxSectors && sectors <= maxSectors;
}

// Reads lines up to the first one that begins with `key`. A section header on the way means
// this section lacks the line: the header is left for the caller.
bool findInSection(LineReader &in, std::string &line, std::string_view key)
{
    while (in.next(line)) {
        if (startsWith(line, key))
            return true;
        if (isSectionHeader(line)) {
            in.unread(line);
            return false;
        }
    }
    return false;
}

std::string missingLine(long long headerLine, std::string_view header, std::string_view key)
{
    return cformat("Line %lld: the section %.*s has no %.*s line.", headerLine, int(header.size()), header.data(),
                   int(key.size()), key.data());
}

bool impossibleSize(long long lineNumber, std::int64_t sectors, ReadError &error)
{
    error.detail = cformat("Line %lld: the size %lld is not possible.", lineNumber, (long long)sectors);
    return false;
}

} // namespace

bool readInf(Project &project, const std::string &path, Desktop &desktop, ReadError &error)
{
    error.detail.clear();
    LineReader in;
    if (!in.open(path)) {
        error.detail = in.error().text();
        return false;
    }

    int previousVts = -1;
    int previousVobId = -1;
    std::string line;
    std::string header;
    while (in.next(line)) {
        if (isSectionHeader(line)) {
            header = line;
            const long long headerLine = in.lineNumber();
            const CellKey key = parseSectionHeader(header);
            if (!findInSection(in, line, frameRateKey)) {
                error.detail = missingLine(headerLine, header, frameRateKey);
                return false;
            }
            const int code = leadingInt(std::string_view(line).substr(frameRateKey.size()));
            const double fps = framesPerSecond(code);
            if (fps == 0.0) {
                error.detail = cformat("Line %lld: frame rate code %d is not one of 1 to 5.", in.lineNumber(), code);
                return false;
            }
            if (!findInSection(in, line, framesKey)) {
                error.detail = missingLine(headerLine, header, framesKey);
                return false;
            }
            const int frames = line.size() > 7 ? leadingInt(std::string_view(line).substr(7)) : 0;
            if (frames < 0 || frames > maxFrames) {
                error.detail = cformat("Line %lld: the frame count %d is not possible.", in.lineNumber(), frames);
                return false;
            }

            if (key.vts != previousVts || key.vobId != previousVobId || project.segments.empty()) {
                project.segments.emplace_back();
                previousVts = key.vts;
                previousVobId = key.vobId;
            }
            Cell &cell = project.segments.back().addCell(key.vts, key.subId, key.vobId, key.cellId, 0, frames, fps);
            cell.significant = frames > 10;

            if (!findInSection(in, line, reductionKey)) {
                error.detail = missingLine(headerLine, header, reductionKey);
                return false;
            }
            if (line.find(',') != std::string::npos) {
                std::replace(line.begin(), line.end(), ',', '.');
                project.decimalComma = true;
            }
            cell.loadedReduction = float(leadingReal(std::string_view(line).substr(reductionKey.size())));
            if (!std::isfinite(cell.loadedReduction) || cell.loadedReduction < 0.0f) {
                error.detail = cformat("Line %lld: the reduction is not a percentage.", in.lineNumber());
                return false;
            }
        } else if (startsWith(line, "Original_Size=")) {
            project.sourceSize = leadingLong(std::string_view(line).substr(14));
            if (!isPossibleSize(project.sourceSize))
                return impossibleSize(in.lineNumber(), project.sourceSize, error);
        } else if (startsWith(line, "Excluded_Audio_Sub_Size=")) {
            project.excludedAudioSubSize = leadingLong(std::string_view(line).substr(24));
            if (!isPossibleSize(project.excludedAudioSubSize))
                return impossibleSize(in.lineNumber(), project.excludedAudioSubSize, error);
        } else if (startsWith(line, "mode=")) {
            project.encoderMode = leadingInt(std::string_view(line).substr(5));
        } else if (startsWith(line, "CCEType=")) {
            project.cceType = leadingInt(std::string_view(line).substr(8));
            if (isUnsupportedCceType(project.cceType)) {
                project.cceType = cceTypeForUnsupported;
                desktop.showMessage(unsupportedCceMessage);
            }
        } else if (startsWith(line, "VTS_")) {
            const std::size_t equals = line.find('=');
            if (equals != std::string::npos) {
                const std::int64_t size = leadingLong(std::string_view(line).substr(equals + 1));
                if (!isPossibleSize(size))
                    return impossibleSize(in.lineNumber(), size, error);
                // Both within the bound, so the sum cannot overflow.
                project.vtsSizeSum += size;
                if (!isPossibleSize(project.vtsSizeSum)) {
                    error.detail = cformat("Line %lld: the title sets add up to more than any disc holds.",
                                           in.lineNumber());
                    return false;
                }
            }
        }
    }
    if (in.failed()) {
        error.detail = cformat("The file could not be read after line %lld: %s.", in.lineNumber(),
                               in.error().reason.c_str());
        return false;
    }
    if (project.segments.empty()) {
        error.detail = "The file describes no video cells.";
        return false;
    }
    project.overheadSize = project.sourceSize - project.vtsSizeSum - project.excludedAudioSubSize;
    return true;
}

WriteResult writeProjectFile(ProjectFileWriter write, const Project &project, const std::string &source,
                             const std::string &target)
{
    if (!isReadableFile(source))
        return WriteResult::SourceUnreadable;
    LineWriter out;
    FileError error;
    if (!out.open(target))
        return WriteResult::WriteFailed;
    const WriteResult result = write(project, source, out, error);
    if (result != WriteResult::Ok)
        return result;
    return out.commit() ? WriteResult::Ok : WriteResult::WriteFailed;
}

WriteResult writeInf(const Project &project, const std::string &source, const std::string &target)
{
    return writeProjectFile(writeInf, project, source, target);
}

WriteResult writeInf(const Project &project, const std::string &source, LineWriter &out, FileError &error)
{
    LineReader in;
    if (!in.open(source)) {
        error = in.error();
        return WriteResult::SourceUnreadable;
    }

    const CellIndex index(project);
    std::string line;
    while (in.next(line)) {
        out.writeLine(line);
        if (!isSectionHeader(line))
            continue;
        const CellKey key = parseSectionHeader(line);
        // Copy the section up to the "Reduction=" line that readInf takes for the cell: the first
        // one after "Frame_Rate_Code=" and then "Frames" (a "Reduction=" line before those stays
        // as it is, or the reduction written would not be the one read back). A header on the
        // way belongs to the next section, so this one has none to rewrite.
        const std::string_view keys[] = {frameRateKey, framesKey, reductionKey};
        std::size_t step = 0;
        bool found = false;
        while (in.next(line)) {
            if (isSectionHeader(line)) {
                in.unread(line);
                break;
            }
            if (startsWith(line, keys[step]) && ++step == std::size(keys)) {
                found = true;
                break;
            }
            out.writeLine(line);
        }
        if (!found)
            continue;
        const Cell *cell = index.find(key).cell;
        if (!cell) {
            // A section the project does not know keeps what it had.
            out.writeLine(line);
            continue;
        }
        double reduction = cell->reduction();
        if (!(reduction <= 100.0))
            reduction = 100.0;
        if (reduction < 1.0)
            reduction = 1.0;
        std::string text = formatFixed(reduction, 4, 1);
        if (project.decimalComma)
            std::replace(text.begin(), text.end(), '.', ',');
        out.writeLine(std::string(reductionKey) + text);
    }
    if (in.failed()) {
        error = in.error();
        return WriteResult::WriteFailed;
    }
    if (out.failed()) {
        error = out.error();
        return WriteResult::WriteFailed;
    }
    return WriteResult::Ok;
}
