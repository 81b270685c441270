#pragma once

// "OPV Prediction": the window the save opens when an OPV segment's plan changed. The user
// sets the prediction options, runs PREDICT, watches the log, may abort, plays the sample of
// a predicted segment, and leaves with Save (the save goes on with the Q factors found) or
// Cancel (the save is abandoned; the Q factors stay in the segments).
//
// How a view drives it:
//   1. Lay out the controls of layout() (dialog units, 324 x 232) and render controls()
//      into them after every command and every step.
//   2. Forward the edits' texts (gopsPerRangeTyped, ...) when they change or lose the focus,
//      the check boxes' states, the drop-down's row, and the buttons' clicks; Escape and the
//      close box are cancelClicked(). A refused PREDICT leaves focusControl() on the field.
//   3. After predictClicked() returned true, call nextStep() until it returns RunEncoder,
//      Finished or None. For RunEncoder start the command's program with its arguments in
//      its working folder (asynchronously, no shell) and go on with nextStep(): with several
//      parallel encoders more RunEncoder steps follow, each for its own lane. Keep the event
//      loop running, and when a process has ended call encoderFinished() with its step's lane
//      and go on with nextStep(). Abort is cancelClicked() while running: the run stops after
//      the encoders have ended by themselves.
//   4. When result() is no longer Open, close the window: Save means the save goes on.
// tavro-cli drives the same class, running each encoder step and waiting for it.

#include "platform/Controls.h"
#include "prediction/PredictionRun.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Desktop;
class Project;
struct AppSettings;

class PredictionDialog {
public:
    // Control ids: those of the window's resource where it has one, ours from 1100 on.
    enum Id : int {
        SaveButton = 1,          // "Save" (OK)
        CancelButton = 2,        // "Cancel", "Abort" while running
        SegmentList = 1001,      // drop-down of the segments that got a Q factor
        MinimizedBox = 1002,     // "Launch encoder minimized"
        DoublePassBox = 1003,    // "Double pass"
        SafetyMarginEdit = 1007, // percent, 0..50
        GopsPerRangeEdit = 1008, // 1..9999
        LogBox = 1012,           // the log, read-only
        SampleSizeEdit = 1015,   // percent, 0.1..100
        PredictButton = 1040,    // "PREDICT" (default button)
        CheckQualityButton = 1042, // "Check Quality"
        OptionsGroup = 1100,     // "Prediction options"
        SampleSizeLabel = 1101,  // "Sample size:"
        SampleSizeUnit = 1102,   // "%"
        SafetyMarginLabel = 1103, // "Safety margin:"
        SafetyMarginUnit = 1104, // "%"
        GopsPerRangeLabel = 1105, // "GOPs per range:"
        ProgressGroup = 1106,    // "Progress and results"
        ProgressLine = 1107,     // under the log: segment k of n, trial, time so far and left
        ParallelEncodersLabel = 1108, // "Parallel encoders:"
        ParallelEncodersEdit = 1109,  // segments predicted at once, 1..16
    };
    enum class State { Idle, Running, AbortRequested, Succeeded, Failed };
    enum class Result { Open, Save, Cancel };

    static constexpr const char *title = "OPV Prediction";
    static constexpr int width = 324;  // dialog units
    static constexpr int height = 232; // 212 and a row for "Parallel encoders:"
    struct Place {
        int id;
        int x, y, width, height; // dialog units
    };
    static const std::vector<Place> &layout();

    static constexpr int minGopsPerRange = 1;
    static constexpr int maxGopsPerRange = 9999;
    static constexpr double minSafetyMargin = 0.0;
    static constexpr double maxSafetyMargin = 50.0;
    static constexpr double minSampleSize = 0.1;
    static constexpr double maxSampleSize = 100.0;
    // Each encoder is a CCE of its own with AviSynth decoding the source behind it, a few
    // hundred MB and a stream of reads from the disc image each; past 16 at once the disk and
    // the memory of any desktop are the limit, not the cores.
    static constexpr int minParallelEncoders = 1;
    static constexpr int maxParallelEncoders = 16;

    // The options start from `settings`. PREDICT stores them there and in the settings file
    // in `settingsFolder` unless storesOptions is off (tavro-cli never writes the file).
    PredictionDialog(Project &project, AppSettings &settings, std::string settingsFolder, Desktop &desktop);
    ~PredictionDialog();
    bool storesOptions = true;
    // Seconds on a steady clock; tests give their own.
    std::function<double()> clock;

    // ---- Fields mirroring the controls ---------------------------------------------------
    std::string gopsPerRangeText; // 1008
    std::string safetyMarginText; // 1007
    std::string sampleSizeText;   // 1015
    std::string parallelEncodersText; // 1109
    bool encodeMinimized = false; // 1002
    bool doublePass = false;      // 1003
    int selectedEntry = -1;       // 1001

    ControlTable controls() const;
    State state() const { return m_state; }
    Result result() const { return m_result; }
    // The field a refused PREDICT left the focus on; 0 for none.
    int focusControl() const { return m_focus; }
    const std::vector<std::string> &log() const { return m_log; }
    // The segment index of each entry of the drop-down.
    const std::vector<int> &entries() const { return m_entries; }
    std::string progressText() const;
    // What the last run did; empty before one.
    std::vector<SegmentPrediction> results() const;

    // ---- Commands ----------------------------------------------------------------------------
    void gopsPerRangeTyped(const std::string &text);
    void safetyMarginTyped(const std::string &text);
    void sampleSizeTyped(const std::string &text);
    void parallelEncodersTyped(const std::string &text);
    void doublePassClicked(bool checked);
    void encodeMinimizedClicked(bool checked);
    void entrySelected(int row);
    // Validates the options, finds CCE, stores the options and starts a run. False when
    // refused or when no encoder was chosen.
    bool predictClicked();
    // Button 2, Escape, the close box: closes with Cancel, or asks the running search to stop.
    void cancelClicked();
    void saveClicked();
    void checkQualityClicked();

    // ---- Running -------------------------------------------------------------------------------
    // The next step of the run. Log lines are appended to the log before they are handed out;
    // Finished leaves the window in Succeeded or Failed.
    PredictionStep nextStep();
    // The encoder handed out by a RunEncoder step for `lane` has ended (or could not be run).
    void encoderFinished(int lane, Desktop::EncoderResult result);
    // The same for the first lane waiting: the one encoder of a run with one lane.
    void encoderFinished(Desktop::EncoderResult result);

    // A new line at the end of the log.
    void appendLog(const std::string &line);

private:
    bool running() const { return m_state == State::Running || m_state == State::AbortRequested; }
    double now() const;

    Project &m_project;
    AppSettings &m_settings;
    std::string m_settingsFolder;
    Desktop &m_desktop;
    State m_state = State::Idle;
    Result m_result = Result::Open;
    int m_focus = 0;
    std::vector<std::string> m_log;
    std::vector<int> m_entries;
    std::unique_ptr<PredictionRun> m_run;
    // The encoder run outstanding in each lane.
    struct LaneTrial {
        std::string outputPath;
        double started = 0.0;
    };
    std::vector<LaneTrial> m_lanes;

    // For the progress line.
    double m_started = 0.0;
    double m_finishedAt = 0.0;
    double m_trialSeconds = 0.0; // all trials so far
    int m_trials = 0;
};
