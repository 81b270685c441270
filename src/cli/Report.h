#pragma once

#include <string>

class MainWindow;
struct PredictionOutcome;

// What tavro-cli prints about a project: the main window's figures, as text or as JSON.
std::string textReport(const MainWindow &window);
// With a prediction, the report tells what it did under "prediction".
std::string jsonReport(const MainWindow &window, const PredictionOutcome *prediction = nullptr);
