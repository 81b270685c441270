#pragma once

#include <string>

// Runs one command line through the platform's shell and collects what it prints.
struct CommandOutput {
    int status = -1; // the shell's exit status; 0 for success
    std::string printed;
};

// `commandLine` is quoted for the shell as it stands (paths in double quotes). On Windows the
// line is passed as UTF-8 through the wide interface, so non-ASCII paths survive.
CommandOutput runCommand(const std::string &commandLine);

// Appended to a command line: its error output goes nowhere.
extern const char *const discardErrors;
