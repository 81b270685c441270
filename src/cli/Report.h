#pragma once

#include <cstdio>
#include <string>

class MainWindow;

// What tavro-cli prints about a project: the main window's figures, as text or as JSON.
std::string textReport(const MainWindow &window);
// Written segment by segment, so memory stays flat however large the project.
void writeJsonReport(const MainWindow &window, std::FILE *file);
