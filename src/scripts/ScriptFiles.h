#pragma once

// The cell scripts of a segment on disk: reading them the way the script editor holds them,
// their ".bak" copies, and replacing several of them as one step as far as the file system
// allows.

#include <optional>
#include <string>
#include <vector>

// A script as the editor holds it: its lines, then one empty element that stands for the end
// of the file. A last line without a line end is a line like any other, so it survives a save;
// lines have any length and a script any number of them. Nothing when the file cannot be
// read; `reason` then says why.
std::optional<std::vector<std::string>> readScriptElements(const std::string &path, std::string *reason = nullptr);

// The lines the editor lists for a script (its elements without the final one), or nothing.
std::optional<std::vector<std::string>> readScriptListing(const std::string &path);

// The copy of a script as DVD-Rebuilder wrote it.
std::string scriptBackupPath(const std::string &scriptPath);

// Makes the script's ".bak" when it has none, as a byte-for-byte copy written beside it, synced
// and then renamed into place, so a failure leaves neither a half copy nor a changed script.
// `made` tells whether a new copy was made (an existing one is never replaced).
bool makeScriptBackupOnce(const std::string &scriptPath, bool &made, std::string &reason);

struct ScriptWrite {
    std::string path;
    std::vector<std::string> lines; // written with CR LF after each
};

struct ScriptWriteResult {
    enum class Status {
        Written,   // every script replaced
        Unchanged, // nothing replaced: failedPath and reason say what stopped it
        Partial,   // a rename failed after others succeeded: `written` lists those
    };
    Status status = Status::Written;
    std::string failedPath;
    std::string reason;
    std::vector<std::string> written;
};

// Replaces every script by its lines. Every new script is written and synced beside its target
// first, and the renames follow only when all of them were written, so a full disk or a
// write-protected script changes nothing. A path named twice is written once.
ScriptWriteResult replaceScripts(const std::vector<ScriptWrite> &writes);

// The text of the last system error, for messages that name a file and the reason.
std::string systemErrorText();
