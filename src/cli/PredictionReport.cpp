#include "PredictionReport.h"

#include "CliPrediction.h"

#include "app/MainWindow.h"
#include "planning/Labels.h"
#include "project/Project.h"

using Json = nlohmann::ordered_json;

Json predictionJson(const Project &project, const PredictionOutcome &outcome)
{
    Json j;
    j["ran"] = outcome.ran;
    j["succeeded"] = outcome.succeeded;
    Json segments = Json::array();
    for (const SegmentPrediction &segment : outcome.segments) {
        Json s;
        s["index"] = segment.segmentIndex;
        s["label"] = labels::segmentRow(project, segment.segmentIndex);
        Json passes = Json::array();
        for (const PredictionPass &pass : segment.passes) {
            Json trials = Json::array();
            for (const PredictionTrial &trial : pass.trials)
                trials.push_back({{"qFactor", trial.qFactor}, {"sizeKb", trial.sizeKb}, {"errorPercent", trial.errorPercent}});
            passes.push_back({{"qFactor", pass.qFactor}, {"trials", trials}});
        }
        s["passes"] = passes;
        s["qFactor"] = segment.qFactor;
        segments.push_back(s);
    }
    j["segments"] = segments;
    return j;
}
