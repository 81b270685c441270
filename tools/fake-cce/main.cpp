// fake-cce: a stand-in for the CCE encoder, so that OPV prediction runs in tests and on a
// machine without CCE.
//
//     fake-cce -ecl LIST -batch
//
// Reads the encoding list LIST and, for every item that names an output ("vid_file0="),
// writes that file with the size an OPV encode of the item would roughly have:
//
//     bytes = round(frames x 25000 x complexity x (22 / Q) ^ 0.8)
//
//   frames      "frame_last=" less "frame_first=" (0 when absent): the frames encoded;
//   Q           "opv_q_factor=", at least 1: the size falls as Q rises, about as an MPEG-2
//               encoder's falls with its quantizer;
//   complexity  how hard the content is to encode: the number after "# Complexity:" in the
//               item's script ("name="), 1 when the script has no such line. make-project
//               writes one into every cell script, different from segment to segment, and
//               the sample script keeps it.
// 25000 bytes a frame is 5000 kbit/s at 25 frames a second, which the prediction's first
// guess turns into Q 22: content of complexity 1 lands near its first trial.
//
// The same list always gives the same sizes. Test knobs, from the environment:
//   FAKE_CCE_DELAY_MS=N       wait N ms before writing each output (an encode takes time)
//   FAKE_CCE_EXIT_STATUS=N    exit with status N after writing
//   FAKE_CCE_NO_OUTPUT=1      write nothing
//   FAKE_CCE_OUTPUT_BYTES=N   write N bytes whatever the model says
// Exits with 2 on a command line it does not take and 1 when it cannot read the list or a
// script, or cannot write an output; the reason goes to standard error.

#include "common/CommandLine.h"
#include "common/Convert.h"
#include "common/TextFile.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Item {
    std::string script;
    std::string output;
    long long firstFrame = 0;
    long long lastFrame = -1;
    bool hasLastFrame = false;
    int q = 0;
    bool hasQ = false;
};

int fail(const std::string &reason, int status = 1)
{
    std::fprintf(stderr, "fake-cce: %s\n", reason.c_str());
    return status;
}

long long environmentNumber(const char *name, long long otherwise)
{
    const char *value = std::getenv(name);
    return value && *value ? leadingLong(value) : otherwise;
}

bool readItems(const std::string &listPath, std::vector<Item> &items)
{
    LineReader in;
    if (!in.open(listPath))
        return false;
    items.emplace_back(); // whatever comes before the first "[item]"
    std::string line;
    while (in.next(line)) {
        Item &item = items.back();
        if (startsWith(line, "[item]"))
            items.emplace_back();
        else if (startsWith(line, "name="))
            item.script = line.substr(5);
        else if (startsWith(line, "vid_file0="))
            item.output = line.substr(10);
        else if (startsWith(line, "frame_first="))
            item.firstFrame = leadingLong(line.substr(12));
        else if (startsWith(line, "frame_last=")) {
            item.lastFrame = leadingLong(line.substr(11));
            item.hasLastFrame = true;
        } else if (startsWith(line, "opv_q_factor=")) {
            item.q = leadingInt(line.substr(13));
            item.hasQ = true;
        }
    }
    return !in.failed();
}

// The complexity the script declares; nothing when the script cannot be read.
bool complexityOf(const std::string &script, double &complexity)
{
    LineReader in;
    if (!in.open(script))
        return false;
    complexity = 1.0;
    std::string line;
    while (in.next(line)) {
        if (startsWith(line, "# Complexity:"))
            complexity = leadingReal(line.substr(13));
    }
    return !in.failed();
}

bool writeBytes(const std::string &path, long long bytes)
{
    std::ofstream out(toFsPath(path), std::ios::binary | std::ios::trunc);
    static const std::vector<char> block(64 * 1024, '\0');
    while (out && bytes > 0) {
        const long long now = std::min<long long>(bytes, (long long)block.size());
        out.write(block.data(), std::streamsize(now));
        bytes -= now;
    }
    out.close();
    return bool(out);
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args = commandLineArguments(argc, argv);
    if (args.size() != 3 || args[0] != "-ecl" || args[2] != "-batch")
        return fail("usage: fake-cce -ecl LIST -batch", 2);

    std::vector<Item> items;
    if (!readItems(args[1], items))
        return fail("cannot read the list '" + args[1] + "'");

    const long long delay = environmentNumber("FAKE_CCE_DELAY_MS", 0);
    const long long exitStatus = environmentNumber("FAKE_CCE_EXIT_STATUS", 0);
    const bool noOutput = environmentNumber("FAKE_CCE_NO_OUTPUT", 0) != 0;
    const long long fixedBytes = environmentNumber("FAKE_CCE_OUTPUT_BYTES", -1);

    int encoded = 0;
    for (const Item &item : items) {
        if (item.output.empty())
            continue;
        if (!item.hasQ || item.q < 1)
            return fail("the item for '" + item.output + "' has no opv_q_factor of 1 or more");
        const long long frames = item.lastFrame - item.firstFrame;
        if (!item.hasLastFrame || frames <= 0)
            return fail("the item for '" + item.output + "' names no frames (frame_last=)");
        double complexity = 1.0;
        if (!complexityOf(item.script, complexity))
            return fail("cannot read the script '" + item.script + "'");
        if (delay > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        if (noOutput)
            continue;
        const long long bytes =
            fixedBytes >= 0 ? fixedBytes
                            : std::llround(double(frames) * 25000.0 * complexity * std::pow(22.0 / item.q, 0.8));
        if (!writeBytes(item.output, std::max(0LL, bytes)))
            return fail("cannot write '" + item.output + "'");
        ++encoded;
    }
    if (encoded == 0 && !noOutput)
        return fail("the list '" + args[1] + "' has no item with an output (vid_file0=)");
    return int(exitStatus);
}
