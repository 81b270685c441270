#pragma once

#include <string>
#include <vector>

// The program's arguments after its name, as UTF-8 like every other path in the program. On
// Windows argv holds them in the ANSI code page, which loses each letter outside it (a folder
// named in Japanese), so there they come from the wide command line instead.
std::vector<std::string> commandLineArguments(int argc, char **argv);
