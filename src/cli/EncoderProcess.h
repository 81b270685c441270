#pragma once

#include "platform/Desktop.h"

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/types.h>
#endif

struct EncoderCommand;

// How the encoder ended, beyond started-and-ended.
struct EncoderOutput {
    int exitStatus = 0;
    std::string text; // its standard output and error (the last 16 KiB), where they can be kept
};

// The encoder runs of a prediction, one per lane, several at once. Each is the program with its
// argument list (no shell), in the step's working folder. On Windows it starts minimized without
// taking the focus when the step asks for it; elsewhere it has no window, and a program ending
// in ".exe" is started through wine. An encoder is never stopped: the destructor waits for those
// still running.
class EncoderProcesses {
public:
    EncoderProcesses() = default;
    EncoderProcesses(const EncoderProcesses &) = delete;
    EncoderProcesses &operator=(const EncoderProcesses &) = delete;
    ~EncoderProcesses();

    // Starts the encoder of `lane`; false when it could not be started.
    bool start(int lane, const EncoderCommand &command);
    bool empty() const { return m_running.empty(); }

    struct Ended {
        int lane = 0;
        Desktop::EncoderResult result = Desktop::EncoderResult::Finished;
        EncoderOutput output;
    };
    // Waits until one of the encoders running has ended. Not to be called when none runs.
    Ended waitAny();

private:
    struct Running {
        int lane = 0;
#ifdef _WIN32
        HANDLE process = nullptr;
#else
        pid_t pid = -1;
        int pipe = -1; // its standard output and error
        std::string text;
#endif
    };
    std::vector<Running> m_running;
};
