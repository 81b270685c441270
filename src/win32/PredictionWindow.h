#pragma once

// "OPV Prediction" on Windows. PREDICT runs the search step by step; each encoder run is a child
// process whose end a wait in the thread pool reports to the window as a message naming its
// lane, so the dialog's own message loop keeps going: the log repaints, and Abort takes effect
// once the running trials have ended (an encoder is never killed). With parallel encoders every
// lane has its own process and wait.

#include "prediction/PredictionDialog.h"
#include "win32/BoundDialog.h"

#include <array>

class PredictionWindow : public BoundDialog {
public:
    explicit PredictionWindow(PredictionDialog &window);
    ~PredictionWindow() override;

    // The encoder run of one lane; the wait for its end gets the address.
    struct Lane {
        HWND window = nullptr;
        int index = 0;
        HANDLE process = nullptr;
        HANDLE wait = nullptr;
    };

protected:
    ControlTable controls() override { return m_window.controls(); }
    void bind(DialogBinder &binder) override;
    bool command(int id) override;
    bool message(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Takes steps until the search waits for an encoder or has finished.
    void advance();
    // Starts the encoder of a RunEncoder step; false when it could not be started.
    bool startEncoder(int lane, const EncoderCommand &command);
    void encoderEnded(int lane);
    bool encoding() const;

    PredictionDialog &m_window;
    std::array<Lane, PredictionDialog::maxParallelEncoders> m_lanes;
};

// The main window's prediction step of a save: the window over `owner`; true when the user
// pressed Save (the save goes on), false for Cancel.
class Project;
class Desktop;
struct AppSettings;
bool runPrediction(HWND owner, Project &project, AppSettings &settings, const std::string &settingsFolder,
                   Desktop &desktop);
