#include "Report.h"

#include "PredictionReport.h"

#include "app/MainWindow.h"
#include "planning/Labels.h"
#include "common/Format.h"
#include "planning/Planning.h"
#include "scripts/ScriptFiles.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

using Json = nlohmann::ordered_json;

namespace {

Json settingsJson(const EncoderSettings &s)
{
    Json j;
    j["gopHeader"] = s.gopHeader;
    j["vbrPasses"] = s.vbrPasses;
    j["intraDcPrecision"] = s.intraDcPrecision;
    j["useFilter"] = s.useFilter;
    j["filterValue"] = s.filterValue;
    j["dither"] = s.dither;
    j["ditherMax"] = s.ditherMax;
    j["ditherCMax"] = s.ditherCMax;
    j["hFilter"] = s.hFilter;
    j["hFilterIndex"] = s.hFilterIndex;
    j["quality"] = s.quality;
    j["qmatIndex"] = s.qmatIndex;
    j["filterOff"] = s.filterOff;
    j["pictType"] = s.pictType;
    j["pictComplexity"] = s.pictComplexity;
    j["vbrBias"] = s.vbrBias;
    j["minBitrate"] = s.minBitrate;
    j["maxBitrate"] = s.maxBitrate;
    j["opvQFactor"] = s.opvQFactor;
    j["videoType"] = s.videoType;
    j["alternateScan"] = s.alternateScan;
    j["adjustQMatrix"] = s.adjustQMatrix;
    j["noMove"] = s.noMove;
    j["progressive"] = s.progressive;
    Json lines = Json::array();
    for (const std::string &line : s.qmatLines)
        lines.push_back(line);
    j["qmatLines"] = lines;
    return j;
}

Json cellJson(const Cell &cell)
{
    Json j;
    j["vts"] = cell.vts;
    j["subId"] = cell.subId;
    j["vobId"] = cell.vobId;
    j["cellId"] = cell.cellId;
    j["frames"] = cell.frames;
    j["fps"] = cell.fps;
    j["bitrate"] = cell.bitrate;
    j["loadedBitrate"] = cell.loadedBitrate;
    j["loadedReduction"] = double(cell.loadedReduction);
    j["reduction"] = cell.reduction();
    j["minReduction"] = cell.minReduction();
    j["significant"] = cell.significant;
    j["tweaked"] = cell.tweaked;
    j["sizeSectors"] = cell.sizeSectors();
    j["name"] = cell.name;
    return j;
}

Json segmentJson(const MainWindow &window, int index)
{
    const Project &project = window.project();
    const Segment &segment = project.segment(index);
    Json j;
    j["index"] = index;
    j["label"] = labels::segmentRow(project, index);
    j["listed"] = planning::isListed(project, segment, window.hideInsignificant());
    j["vts"] = segment.vts;
    j["vobId"] = labels::firstVobId(segment);
    j["cellCount"] = segment.cellCount();
    j["autosized"] = segment.autosized;
    j["tweaked"] = segment.tweaked;
    j["replanned"] = segment.replanned;
    j["vbrMode"] = segment.vbrMode;
    j["significantCells"] = segment.significantCells;
    j["totalFrames"] = segment.totalFrames;
    j["size"] = segment.size();
    j["sizeSectors"] = segment.sizeSectors();
    j["averageBitrate"] = segment.averageBitrate();
    j["loadedAverageBitrate"] = segment.loadedAverageBitrate();
    j["reductionPercent"] = segment.reductionPercent();
    j["loadedReductionPercent"] = segment.loadedReductionPercent();
    j["minReductionPercent"] = segment.minReductionPercent();
    j["videoSizePercent"] = double(planning::videoSizePercent(project, segment));
    j["durationText"] = segment.durationText();
    // The first cell's script as the script editor lists it; null when it cannot be read.
    const std::optional<std::vector<std::string>> script =
        segment.cells.empty() ? std::nullopt : readScriptListing(segment.cells.front().name);
    j["scriptLines"] = script ? Json(*script) : Json(nullptr);
    j["settings"] = settingsJson(segment.settings);
    Json cells = Json::array();
    for (const Cell &cell : segment.cells)
        cells.push_back(cellJson(cell));
    j["cells"] = cells;
    return j;
}

// nlohmann writes the shortest text that reads back to a real; the report gives every real with
// 17 significant digits, so the figures can be compared digit for digit with other tools. The
// library still does the structure and the escaping of strings.
void dumpWith17Digits(const Json &value, int depth, std::string &out)
{
    const std::string indent(std::size_t(depth + 1) * 2, ' ');
    const std::string closing(std::size_t(depth) * 2, ' ');
    switch (value.type()) {
    case Json::value_t::object: {
        if (value.empty()) {
            out += "{}";
            return;
        }
        out += "{\n";
        bool first = true;
        for (const auto &[key, member] : value.items()) {
            out += first ? "" : ",\n";
            first = false;
            out += indent + Json(key).dump(-1, ' ', false, Json::error_handler_t::replace) + ": ";
            dumpWith17Digits(member, depth + 1, out);
        }
        out += "\n" + closing + "}";
        return;
    }
    case Json::value_t::array: {
        if (value.empty()) {
            out += "[]";
            return;
        }
        out += "[\n";
        for (std::size_t i = 0; i < value.size(); ++i) {
            out += (i == 0 ? "" : ",\n") + indent;
            dumpWith17Digits(value[i], depth + 1, out);
        }
        out += "\n" + closing + "]";
        return;
    }
    case Json::value_t::number_float: {
        const double real = value.get<double>();
        if (!std::isfinite(real)) {
            out += "null";
            return;
        }
        std::string text = cformat("%.17g", real);
        // Keep it a real for readers that tell integers apart.
        if (text.find_first_of(".eE") == std::string::npos)
            text += ".0";
        out += text;
        return;
    }
    default:
        out += value.dump(-1, ' ', false, Json::error_handler_t::replace);
        return;
    }
}

const char *yesNo(bool value)
{
    return value ? "yes" : "no";
}

} // namespace

void writeJsonReport(const MainWindow &window, std::FILE *file, const PredictionOutcome *prediction)
{
    const Project &project = window.project();
    Json j;
    j["infPath"] = project.infPath;
    j["encoderMode"] = project.encoderMode;
    j["cceType"] = project.cceType;
    j["decimalComma"] = project.decimalComma;
    j["sourceSize"] = project.sourceSize;
    j["excludedAudioSubSize"] = project.excludedAudioSubSize;
    j["vtsSizeSum"] = project.vtsSizeSum;
    j["overheadSize"] = project.overheadSize;
    j["initialTotalSize"] = project.initialTotalSize;
    j["targetTotalSize"] = project.targetTotalSize;
    j["currentTotalSize"] = project.currentTotalSize();
    j["totalSizeSectors"] = project.totalSizeSectors();
    j["totalVideoSizePercent"] = double(planning::totalVideoSizePercent(project));
    j["estimatedSectors"] = planning::estimatedSectors(project);
    j["estimatedMegabytes"] = planning::estimatedMegabytes(project);
    j["statusText"] = labels::estimateStatusText(project);

    // The project's own members, then its segments one by one: the report of a large project is
    // never held whole in memory. The text is what dumping the whole object would give.
    std::string out = "{\n";
    for (const auto &[key, member] : j.items()) {
        out += "  " + Json(key).dump(-1, ' ', false, Json::error_handler_t::replace) + ": ";
        dumpWith17Digits(member, 1, out);
        out += ",\n";
    }
    out += "  \"segments\": ";
    if (project.segments.empty())
        out += "[]";
    for (int index = 0; index <= project.lastSegmentIndex(); ++index) {
        out += index == 0 ? "[\n    " : ",\n    ";
        // Names and paths come from Windows programs and need not be UTF-8; a stray byte must
        // not stop the report.
        dumpWith17Digits(segmentJson(window, index), 2, out);
        if (out.size() >= 64 * 1024) {
            std::fwrite(out.data(), 1, out.size(), file);
            out.clear();
        }
    }
    if (!project.segments.empty())
        out += "\n  ]";
    if (prediction) {
        out += ",\n  \"prediction\": ";
        dumpWith17Digits(predictionJson(project, *prediction), 1, out);
    }
    out += "\n}\n";
    std::fwrite(out.data(), 1, out.size(), file);
}

std::string textReport(const MainWindow &window)
{
    const Project &project = window.project();
    std::string out = cformat("%5s  %-20s  %-6s  %5s  %8s  %-8s  %-4s  %-9s  %7s  %-17s  %s\n", "Index", "Vob-ID",
                              "Listed", "Cells", "Frames", "Duration", "Mode", "Autosized", "Bitrate",
                              "Reduction %", "Vob-ID Video size %");
    for (int index = 0; index <= project.lastSegmentIndex(); ++index) {
        const Segment &segment = project.segment(index);
        out += cformat("%5d  %-20s  %-6s  %5d  %8lld  %-8s  %-4s  %-9s  %7d  %-17s  %s\n", index,
                       labels::segmentRow(project, index).c_str(),
                       yesNo(planning::isListed(project, segment, window.hideInsignificant())), segment.cellCount(),
                       (long long)segment.frameSum(), segment.durationText().c_str(), segment.vbrMode ? "VBR" : "OPV",
                       yesNo(segment.autosized), segment.averageBitrate(),
                       labels::doubleText(segment.reductionPercent()).c_str(),
                       labels::floatText(planning::videoSizePercent(project, segment)).c_str());
    }
    out += "Total Video Size %: " + labels::floatText(planning::totalVideoSizePercent(project)) + "\n";
    const std::string status = labels::estimateStatusText(project);
    if (!status.empty())
        out += status + "\n";
    return out;
}
