#pragma once

// Projects ready for OPV prediction in a scratch folder, and a search driven by a scripted
// encoder, for the prediction tests.

#include "common/Format.h"
#include "prediction/PredictionRun.h"
#include "project/Project.h"
#include "settings/AppSettings.h"
#include "support/FakeDesktop.h"
#include "support/ProjectBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// Replanned OPV segments of one 25 fps cell each, one per bitrate, all in title set 1. Each
// first cell has a real script and the ECL an item per cell, as DVD-Rebuilder leaves them.
struct PredictionProject {
    TempFolder folder;
    Project project;
    FakeDesktop desktop;
    AppSettings settings;

    explicit PredictionProject(const std::vector<int> &bitrates, int frames = 50000, int gopHeader = 12)
    {
        ProjectBuilder builder;
        for (int bitrate : bitrates)
            builder.segment(1).cell(frames, bitrate, 50.0f, 25.0);
        project = builder.build();
        project.infPath = folder.file("Rebuilder.INF");
        project.cceType = 3;
        std::string ecl = "[CCE]\r\n";
        for (Segment &segment : project.segments) {
            segment.vbrMode = false;
            segment.replanned = true;
            segment.settings.gopHeader = gopHeader;
            for (Cell &cell : segment.cells) {
                cell.name = folder.write(cformat("V%02d_%05d_%03d.avs", cell.vts, cell.vobId, cell.cellId),
                                         "Mpeg2Source(\"VTS_01_1.d2v\")\r\nTrim(0,99)\r\n");
                ecl += cformat("[item]\r\ntitle=V%02d%04d%05d%03d\r\n", cell.vts, cell.subId, cell.vobId, cell.cellId);
                ecl += "name=" + cell.name + "\r\nframe_last=-1\r\nvid_file0=out.m2v\r\nopv_q_factor=30\r\n"
                       "video_type=16\r\ngop_nm=5\r\ngop_hdr=15\r\n";
            }
        }
        folder.write("Rebuilder.ECL", ecl);
        settings.ccePath = "cce";
    }
};

// What a search did.
struct SearchTrace {
    std::vector<std::string> log;
    std::vector<int> tested; // the Q factor of every trial, in order
    bool succeeded = false;
};

// Runs the search to its end. The encoder answers the n-th trial with a sample `errors[n]`
// percent larger (or smaller) than the desired size the log gave; `beforeAnswer` runs while
// each trial "encodes" (to press Abort there).
inline SearchTrace runScripted(PredictionRun &run, std::deque<double> errors,
                               const std::function<void(int trial)> &beforeAnswer = {})
{
    SearchTrace trace;
    int desiredKb = 0;
    for (;;) {
        const PredictionStep step = run.next();
        if (step.kind == PredictionStep::Kind::Log) {
            trace.log.push_back(step.line);
            const std::string desired = "--- Desired sample size: ";
            if (step.line.rfind(desired, 0) == 0)
                desiredKb = std::stoi(step.line.substr(desired.size()));
        } else if (step.kind == PredictionStep::Kind::RunEncoder) {
            trace.tested.push_back(step.encoder.qFactor);
            if (beforeAnswer)
                beforeAnswer(int(trace.tested.size()));
            int kb = 0;
            if (errors.empty())
                ADD_FAILURE() << "an unexpected trial at Q " << step.encoder.qFactor;
            else
                kb = int(std::llround(desiredKb * (1.0 + errors.front() / 100.0)));
            if (!errors.empty())
                errors.pop_front();
            run.encoderEnded(Desktop::EncoderResult::Finished, kb);
        } else {
            trace.succeeded = step.succeeded;
            EXPECT_EQ(step.kind, PredictionStep::Kind::Finished);
            return trace;
        }
    }
}

// The log lines that begin with `prefix`.
inline std::vector<std::string> linesStarting(const std::vector<std::string> &log, const std::string &prefix)
{
    std::vector<std::string> found;
    for (const std::string &line : log)
        if (line.rfind(prefix, 0) == 0)
            found.push_back(line);
    return found;
}
