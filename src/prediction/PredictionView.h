#pragma once

#include "app/DialogView.h"
#include "prediction/PredictionDialog.h"

#include <QProcess>

#include <memory>
#include <vector>

class QTimer;

// Draws "OPV Prediction" at the places the window has always had, and runs the encoder steps
// of a prediction as child processes while the event loop goes on: the log repaints, Abort
// works, and an encoder is never stopped. With parallel encoders each lane of the run has a
// process of its own. Every rule lives in PredictionDialog.
class PredictionView : public DialogView {
public:
    PredictionView(PredictionDialog &dialog, QWidget *parent = nullptr);
    // Waits for the encoders still running rather than stopping them.
    ~PredictionView() override;

    // Runs the window modally over `parent`; true when the user left it with Save.
    static bool run(PredictionDialog &dialog, QWidget *parent);

private:
    // Takes the run's steps until it waits for an encoder or ends.
    void continueRun();
    void startEncoder(int lane, const EncoderCommand &command);
    void encoderEnded(int lane, Desktop::EncoderResult result);
    QProcess &encoder(int lane);

    PredictionDialog &m_dialog;
    std::vector<std::unique_ptr<QProcess>> m_encoders; // by lane
    QTimer *m_ticker; // refreshes the progress line's times while a run lasts
};
