#pragma once

#include <cstdio>
#include <string>

class MainWindow;
struct PredictionOutcome;

// What tavro-cli prints about a project: the main window's figures, as text or as JSON.
std::string textReport(const MainWindow &window);
// Written segment by segment, so memory stays flat however large the project. With a
// prediction, the report tells what it did under "prediction".
void writeJsonReport(const MainWindow &window, std::FILE *file, const PredictionOutcome *prediction = nullptr);
