#pragma once

#include "app/DialogView.h"
#include "prediction/PredictionDialog.h"

#include <QProcess>

class QTimer;

// Draws "OPV Prediction" at the places the window has always had, and runs the encoder steps
// of a prediction as child processes while the event loop goes on: the log repaints, Abort
// works, and the encoder is never stopped. Every rule lives in PredictionDialog.
class PredictionView : public DialogView {
public:
    PredictionView(PredictionDialog &dialog, QWidget *parent = nullptr);
    // Waits for an encoder still running rather than stopping it.
    ~PredictionView() override;

    // Runs the window modally over `parent`; true when the user left it with Save.
    static bool run(PredictionDialog &dialog, QWidget *parent);

private:
    // Takes the run's steps until it waits for an encoder or ends.
    void continueRun();
    void startEncoder(const EncoderCommand &command);
    void encoderEnded(Desktop::EncoderResult result);

    PredictionDialog &m_dialog;
    QProcess m_encoder;
    QTimer *m_ticker; // refreshes the progress line's times while a run lasts
};
