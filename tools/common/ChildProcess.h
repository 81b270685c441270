#pragma once

#include <string>
#include <vector>

// Runs another program on an argument list and waits for it: no shell is involved, so paths
// with blanks or quotes reach the program as they are. The child shares our standard error,
// so its own messages reach the user; its standard output is either shared too or collected.
struct ChildResult {
    bool started = false;   // false: the program could not be run at all (see error)
    int exitStatus = -1;    // its exit status; 128 + N when signal N ended it
    std::string output;     // its standard output, when collected
    std::string error;      // why it could not be started
};

// argv[0] is looked up in PATH when it holds no slash. Not available on Windows builds (it
// then reports that it could not start); the tools that use it are for POSIX systems.
ChildResult runChild(const std::vector<std::string> &argv, bool collectOutput = false);

// "ffmpeg -i 'a b.avi'": the argument list in a form to show in a message, quoted for a shell.
std::string describeCommand(const std::vector<std::string> &argv);
