#include "prediction/SampleList.h"

#include "common/Convert.h"
#include "common/Format.h"
#include "common/TextFile.h"
#include "platform/Desktop.h"
#include "project/EclKeys.h"
#include "project/EclSettingLines.h"
#include "project/Project.h"

#include <climits>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

using Key = EclKey;

Key classify(std::string_view line)
{
    return classifyEclLine(line).key;
}

bool isItemStart(std::string_view line)
{
    return startsWith(line, "[item]");
}

char separator()
{
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

// Rewrites the lines of the segment's item into `out`, reading further lines from `in` where
// a key takes the lines after it.
class ItemRewriter {
public:
    ItemRewriter(const Project &project, const Segment &segment, const SampleFiles &files, int sampledFrames,
                 std::vector<std::string> &out)
        : m_project(project), m_s(segment.settings), m_files(files), m_sampled(sampledFrames), m_out(out)
    {
    }

    void rewrite(const std::string &line, LineReader &in)
    {
        const EncoderSettings &s = m_s;
        const Key key = classify(line);
        // The settings the windows own, as the saved list will have them.
        const int taken = writeSettingLines(key, line, s, cceKind(m_project.cceType),
                                            [this](const std::string &text) { m_out.push_back(text); });
        if (taken >= 0) {
            drop(in, taken);
            return;
        }
        switch (key) {
        case Key::VidFile0: m_out.push_back("vid_file0=" + m_files.output); break;
        case Key::VidFile1: m_out.push_back("vid_file1=" + m_files.output); break;
        case Key::VafOut: m_out.push_back("vaf_out=0"); break;
        case Key::Name: m_out.push_back("name=" + m_files.script); break;
        case Key::FrameLast: write("frame_last=", m_sampled); break;
        case Key::EncodeLast: write("encode_last=", m_sampled); break;
        case Key::FixGopLength: m_out.push_back("fix_gop_length=1"); break;
        case Key::VideoType: write("video_type=", m_project.cceType == 1 ? 2 : 4); break;
        case Key::Vmode: m_out.push_back("vmode=0"); break;
        case Key::IntraDcPrec:
            if (m_project.cceType == 3) {
                write("intra_dc_prec_9_max=", s.intraDcPrecision > 0 ? 113 : 1);
                write("intra_dc_prec_10_max=", s.intraDcPrecision > 1 ? 113 : 1);
            } else {
                write("intra_dc_prec=", s.intraDcPrecision);
            }
            break;
        // Everything else is copied; the Q factor is set at every trial.
        default: m_out.push_back(line); break;
        }
    }

private:
    void write(const char *key, int value) { m_out.push_back(cformat("%s%d", key, value)); }

    // Skips up to `count` lines of the item, never the start of the next one.
    static void drop(LineReader &in, int count)
    {
        std::string dropped;
        for (int i = 0; i < count && in.next(dropped); ++i) {
            if (isItemStart(dropped)) {
                in.unread(dropped);
                break;
            }
        }
    }

    const Project &m_project;
    const EncoderSettings &m_s;
    const SampleFiles &m_files;
    int m_sampled;
    std::vector<std::string> &m_out;
};

} // namespace

std::string predictionFolder(const std::string &infPath)
{
    // A bare file name means the current folder; the result is made absolute either way, so
    // the encoder started in another folder finds the same files.
    std::error_code error;
    fs::path folder = toFsPath(infPath).parent_path();
    if (folder.empty())
        folder = fs::current_path(error);
    const fs::path absolute = fs::absolute(folder, error);
    return fromFsPath((error ? folder : absolute).lexically_normal() / "prediction");
}

SampleFiles SampleFiles::of(const std::string &folder, int vts, int vobId)
{
    std::string base = folder;
    if (base.empty() || base.back() != separator())
        base += separator();
    base += cformat("VTS_%02d_VobID_%04d.", vts, vobId);
    return {base + "avs", base + "ecl", base + "m2v"};
}

SampleFiles sampleFilesOf(const Project &project, int segmentIndex)
{
    const Segment &segment = project.segment(segmentIndex);
    const int vobId = segment.cells.empty() ? 0 : segment.cells.front().vobId;
    return SampleFiles::of(predictionFolder(project.infPath), segment.vts, vobId);
}

bool prepareFolder(const std::string &folder, Desktop &desktop)
{
    const fs::path path = toFsPath(folder);
    std::error_code error;
    fs::directory_iterator entries(path, error);
    if (error && error != std::errc::no_such_file_or_directory) {
        desktop.showMessage(cformat("Error enumerating directory '%s'", folder.c_str()), Desktop::Icon::Error);
        return false;
    }
    if (!error) {
        for (; entries != fs::directory_iterator(); entries.increment(error)) {
            const fs::directory_entry &entry = *entries;
            const std::string name = fromFsPath(entry.path().filename());
            std::error_code kindError;
            if (entry.is_directory(kindError) || name.empty() || name[0] == '.')
                continue;
            std::error_code removeError;
            if (!fs::remove(entry.path(), removeError) || removeError) {
                desktop.showMessage(cformat("Error deleting file '%s'", fromFsPath(entry.path()).c_str()),
                                    Desktop::Icon::Error);
                return false;
            }
        }
        if (error) {
            desktop.showMessage(cformat("Error enumerating directory '%s'", folder.c_str()), Desktop::Icon::Error);
            return false;
        }
    }
    error.clear();
    fs::create_directory(path, error);
    if (error && !fs::is_directory(path)) {
        desktop.showMessage(cformat("Error creating directory '%s'", folder.c_str()), Desktop::Icon::Error);
        return false;
    }
    return true;
}

std::optional<std::vector<std::string>> writeSampleList(const Project &project, int segmentIndex,
                                                        const SampleFiles &files, int sampledFrames,
                                                        Desktop &desktop)
{
    const std::string ecl = project.eclPath();
    LineReader in;
    if (!in.open(ecl)) {
        desktop.showMessage(cformat("Could not open '%s' for reading", ecl.c_str()), Desktop::Icon::Error);
        return std::nullopt;
    }
    std::string line;
    if (!in.next(line)) {
        desktop.showMessage(cformat("Wrong format for file '%s'", ecl.c_str()), Desktop::Icon::Error);
        return std::nullopt;
    }
    std::vector<std::string> lines = {line, "", "[item]"};

    const Segment &segment = project.segment(segmentIndex);
    if (segment.cells.empty())
        return lines;
    const Cell &first = segment.cells.front();
    const std::string title = cformat("title=V%02d%04d%05d%03d", first.vts, first.subId, first.vobId, first.cellId);
    bool found = false;
    while (!found && in.next(line))
        found = line == title;
    if (found) {
        ItemRewriter rewriter(project, segment, files, sampledFrames, lines);
        rewriter.rewrite(line, in);
        while (in.next(line) && !isItemStart(line))
            rewriter.rewrite(line, in);
    }
    if (in.failed()) {
        desktop.showMessage(cformat("Could not open '%s' for reading", ecl.c_str()), Desktop::Icon::Error);
        return std::nullopt;
    }
    return lines;
}

bool writeTrialList(const std::vector<std::string> &lines, const std::string &path, int qFactor)
{
    LineWriter out;
    if (!out.open(path, false))
        return false;
    const std::string q = cformat("opv_q_factor=%d", qFactor);
    for (const std::string &line : lines)
        out.writeLine(startsWith(line, "opv_q_factor=") ? std::string_view(q) : std::string_view(line));
    return out.commit();
}

int fileSizeKb(const std::string &path, Desktop &desktop)
{
    std::error_code error;
    const std::uintmax_t bytes = fs::file_size(toFsPath(path), error);
    if (error) {
        desktop.showMessage(cformat("Could not open '%s' for reading", path.c_str()), Desktop::Icon::Error);
        return 0;
    }
    return int(std::min<std::uintmax_t>(bytes / 1024, INT_MAX));
}
