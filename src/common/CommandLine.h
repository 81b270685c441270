#pragma once

#include <string>
#include <vector>

// The program's arguments after its name, as UTF-8 like every other path in the program. On
// Windows argv holds them in the ANSI code page, which loses each letter outside it (a folder
// named in Japanese), so there they come from the wide command line instead.
std::vector<std::string> commandLineArguments(int argc, char **argv);

// One argument of a Windows command line, as the C runtime's parser reads it back: a switch
// such as "-batch" bare, anything else in quotes (with the backslashes before a quote doubled),
// as in "\"CCE\" -ecl \"LIST\" -batch".
std::string quotedArgument(const std::string &argument);

#ifdef _WIN32
// Starts `program` (quoted) with `arguments` in `folder` (the current one when empty), its
// window shown normally or minimized without taking the focus. The process's handle, which the
// caller closes, or nullptr when it could not be started.
void *startWindowsProcess(const std::string &program, const std::vector<std::string> &arguments,
                          const std::string &folder, bool minimized);
#endif
