#pragma once

#include <string>

class MainWindow;

// What tavro-cli prints about a project: the main window's figures, as text or as JSON.
std::string textReport(const MainWindow &window);
std::string jsonReport(const MainWindow &window);
