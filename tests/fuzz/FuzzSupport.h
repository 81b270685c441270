#pragma once

#include "support/FakeDesktop.h"
#include "project/Project.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Shared by the fuzz targets: a scratch folder on a memory file system, the split of one input
// into Rebuilder.INF and Rebuilder.ECL, a desktop that answers nothing, and a way to stop with a
// readable reason when a property does not hold.

namespace fuzz {

// Between the INF and the ECL in a project input. Without it the whole input is the INF and the
// ECL is empty.
constexpr std::string_view eclSeparator = "\n=ECL=\n";

struct ProjectInput {
    std::string inf;
    std::string ecl;
};
ProjectInput splitProjectInput(const std::uint8_t *data, std::size_t size);
std::string joinProjectInput(const std::string &inf, const std::string &ecl);

// One folder per process, in /dev/shm when it is there; removed when the process ends normally.
const std::string &scratchFolder();
std::string scratchFile(const std::string &name);
// Writes the bytes exactly; aborts when it cannot (the fuzz run is useless then).
void writeFile(const std::string &path, std::string_view bytes);
std::string readFile(const std::string &path);
// Removes every file in the scratch folder, so one input's copies do not leak into the next.
void clearScratchFolder();

// Says No, cancels choosers, starts nothing, and keeps the messages.
using QuietDesktop = FakeDesktop;

// Prints the reason and aborts, so libFuzzer keeps the input as a finding.
[[noreturn]] void fail(const std::string &reason);
inline void require(bool condition, const std::string &reason)
{
    if (!condition)
        fail(reason);
}

// What every loaded or planned project must satisfy: bitrates never negative, the segments'
// frame and significant-cell counts agree with their cells.
void checkModel(const Project &project, const char *where);

} // namespace fuzz
