// Writes the seed corpora of the fuzz targets from make-project projects:
//     fuzz-seeds <folder>   creates <folder>/project, <folder>/settings and <folder>/planning.

#include "FuzzSupport.h"

#include "ProjectGenerator.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

void put(const fs::path &folder, const std::string &name, const std::string &bytes)
{
    fuzz::writeFile((folder / name).string(), bytes);
}

bool projectSeed(const fs::path &out, const fs::path &work, const std::string &name, GeneratorOptions options)
{
    options.writeScripts = false;
    std::string inf;
    std::string error;
    if (!generateProject(options, (work / name).string(), &inf, &error)) {
        std::fprintf(stderr, "fuzz-seeds: %s: %s\n", name.c_str(), error.c_str());
        return false;
    }
    const std::string ecl = inf.substr(0, inf.size() - 3) + "ECL";
    put(out, name, fuzz::joinProjectInput(fuzz::readFile(inf), fuzz::readFile(ecl)));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz-seeds <folder>\n");
        return 2;
    }
    const fs::path root = argv[1];
    const fs::path project = root / "project";
    const fs::path settings = root / "settings";
    const fs::path planning = root / "planning";
    const fs::path work = root / "work";
    for (const fs::path &folder : {project, settings, planning, work})
        fs::create_directories(folder);

    // Small projects: a fuzzer mutates a few kilobytes far better than megabytes.
    bool ok = true;
    for (unsigned seed = 1; seed <= 3; ++seed) {
        GeneratorOptions o = demoOptions(seed);
        o.segments = 3;
        o.titleSets = 2;
        o.cellsPerSegment = 2;
        o.cceType = int(seed) % 4;
        ok = projectSeed(project, work, "demo-" + std::to_string(seed), o) && ok;
    }
    GeneratorOptions comma = demoOptions(4);
    comma.decimalComma = true;
    comma.segments = 2;
    ok = projectSeed(project, work, "decimal-comma", comma) && ok;
    GeneratorOptions sp1 = demoOptions(5);
    sp1.cceType = 1;
    sp1.segments = 2;
    ok = projectSeed(project, work, "cce-sp1-q-char-f", sp1) && ok;
    sp1.qCharF = false;
    ok = projectSeed(project, work, "cce-sp1", sp1) && ok;
    GeneratorOptions pro = demoOptions(6);
    pro.encoderMode = 3;
    pro.segments = 2;
    ok = projectSeed(project, work, "pro", pro) && ok;
    ok = projectSeed(project, work, "demo-full", demoOptions(7)) && ok;
    fs::remove_all(work);

    put(settings, "full", "mediaplayer=C:\\Program Files\\Player\\player.exe\r\ncce_path=C:\\CCE\\cctsp.exe\r\n"
                          "opv_gops_per_range=3\r\nopv_safety_margin=2.5\r\nopv_sample_size=1.5\r\n"
                          "opv_encode_minimized=1\r\nopv_double_pass=0\r\n");
    put(settings, "old-player-only", "C:\\player.exe\r\n");
    put(settings, "blank-line", "opv_gops_per_range=2\r\n\r\ncce_path=ignored\r\n");

    std::mt19937 random(20240611u);
    for (int i = 0; i < 16; ++i) {
        std::string bytes(64 + 16 * i, '\0');
        for (char &b : bytes)
            b = char(random() & 0xff);
        put(planning, "random-" + std::to_string(i), bytes);
    }
    return ok ? 0 : 1;
}
