#pragma once

// "OPV Prediction" on Windows. PREDICT runs the search step by step; each encoder run is a child
// process whose end a wait in the thread pool reports to the window as a message, so the dialog's
// own message loop keeps going: the log repaints, and Abort takes effect once the running trial
// has ended (the encoder is never killed).

#include "prediction/PredictionDialog.h"
#include "win32/BoundDialog.h"

class PredictionWindow : public BoundDialog {
public:
    explicit PredictionWindow(PredictionDialog &window) : m_window(window) {}
    ~PredictionWindow() override;

protected:
    ControlTable controls() override { return m_window.controls(); }
    void bind(DialogBinder &binder) override;
    bool command(int id) override;
    bool message(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Takes steps until the search waits for an encoder or has finished.
    void advance();
    // Starts the encoder of a RunEncoder step; false when it could not be started.
    bool startEncoder(const EncoderCommand &command);
    void encoderEnded();

    PredictionDialog &m_window;
    HANDLE m_process = nullptr;
    HANDLE m_wait = nullptr;
};

// The main window's prediction step of a save: the window over `owner`; true when the user
// pressed Save (the save goes on), false for Cancel.
class Project;
class Desktop;
struct AppSettings;
bool runPrediction(HWND owner, Project &project, AppSettings &settings, const std::string &settingsFolder,
                   Desktop &desktop);
