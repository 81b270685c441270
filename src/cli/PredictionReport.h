#pragma once

#include <nlohmann/json.hpp>

class Project;
struct PredictionOutcome;

// "prediction" of the JSON report: whether the run finished, and per predicted segment its
// passes with their trials (Q factor, sample size in KB, error in percent) and the Q used.
nlohmann::ordered_json predictionJson(const Project &project, const PredictionOutcome &outcome);
