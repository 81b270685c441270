#pragma once

#include <optional>
#include <string>
#include <vector>

class Desktop;
class Project;

// The folder "prediction" beside Rebuilder.INF, as an absolute path with the host's separator,
// wherever the program was started.
std::string predictionFolder(const std::string &infPath);

// The three files of one segment's sample in the prediction folder, named after its title set
// and first Vob-ID: VTS_01_VobID_0003.avs, .ecl and .m2v.
struct SampleFiles {
    std::string script; // written by writeSampleScript
    std::string list;   // written before every trial
    std::string output; // written by the encoder

    static SampleFiles of(const std::string &folder, int vts, int vobId);
};
SampleFiles sampleFilesOf(const Project &project, int segmentIndex);

// Empties the folder (its plain files, not those whose name begins with "." and not its
// subfolders) or creates it. False after telling the user why.
bool prepareFolder(const std::string &folder, Desktop &desktop);

// The one-item encoding list of a sample: the first line of Rebuilder.ECL, an empty line,
// "[item]", then the segment's first-cell item rewritten for the sample (its script, output
// and frame count, OPV mode, and the segment's settings). Nothing after telling the user when
// the ECL cannot be read or is empty.
std::optional<std::vector<std::string>> writeSampleList(const Project &project, int segmentIndex,
                                                        const SampleFiles &files, int sampledFrames,
                                                        Desktop &desktop);

// Writes the list for one trial, with `qFactor` as its "opv_q_factor=". A failure is not
// reported: the trial then runs on whatever the file holds.
bool writeTrialList(const std::vector<std::string> &lines, const std::string &path, int qFactor);

// The file's size in whole KB (bytes / 1024); 0 after telling the user when it cannot be read.
int fileSizeKb(const std::string &path, Desktop &desktop);
