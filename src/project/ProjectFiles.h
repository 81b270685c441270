#pragma once

#include "common/TextFile.h"
#include "project/Project.h"

#include <string>

// The readers and writers of DVD-Rebuilder's two project files. load() and save() on Project
// call them in their fixed order; they are declared here for those and for tests.

// Why a read failed: the text shown below the "Error loading ..." line: the line at fault, or
// the file and the system's reason when it could not be opened or read.
struct ReadError {
    std::string detail;
};

// Reads Rebuilder.INF into an empty project: segments, cells, frame rates and counts,
// reductions and the project sizes. Messages that do not stop the load ("Unsupported CCE
// version") go through the desktop.
bool readInf(Project &project, const std::string &path, Desktop &desktop, ReadError &error);
// Reads Rebuilder.ECL into the segments and cells that readInf built.
bool readEcl(Project &project, const std::string &path, ReadError &error);

// Rewrite a file from its ".bak" copy (`source`) into `target`, changing only what the
// program manages. The target is replaced in one step: a failure leaves it as it was.
enum class WriteResult { Ok, SourceUnreadable, WriteFailed };
WriteResult writeInf(const Project &project, const std::string &source, const std::string &target);
WriteResult writeEcl(const Project &project, const std::string &source, const std::string &target);
// The same into an open writer, which the caller finishes; `error` says why it failed.
WriteResult writeInf(const Project &project, const std::string &source, LineWriter &out, FileError &error);
WriteResult writeEcl(const Project &project, const std::string &source, LineWriter &out, FileError &error);
// The file-to-file form of one of the two above.
using ProjectFileWriter = WriteResult (*)(const Project &, const std::string &, LineWriter &, FileError &);
WriteResult writeProjectFile(ProjectFileWriter write, const Project &project, const std::string &source,
                             const std::string &target);

// The line-by-line copy used for every ".bak" and ".original" copy.
//   overwrite: false keeps an existing destination (returns true without copying);
//   sourceRequired: false makes a missing source a success with nothing copied.
// The destination is replaced in one step, so a failed copy leaves any older copy intact.
bool copyTextFile(const std::string &source, const std::string &destination, bool overwrite, bool sourceRequired);
bool copyTextFile(const std::string &source, const std::string &destination, bool overwrite, bool sourceRequired,
                  FileError &error);
// Copies the lines of `source` into an open writer. False with the reason when reading fails.
bool copyLines(const std::string &source, LineWriter &out, FileError &error);
