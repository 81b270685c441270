#pragma once

#include "platform/Desktop.h"

#include <string>

struct EncoderCommand;

// How the encoder ended, beyond started-and-ended.
struct EncoderOutput {
    int exitStatus = 0;
    std::string text; // its standard output and error (the last 16 KiB), where they can be kept
};

// Runs the encoder step of a prediction and waits for it: the program with its argument list
// (no shell), in the step's working folder. On Windows it starts minimized without taking the
// focus when the step asks for it; elsewhere it has no window, and a program ending in ".exe"
// is started through wine.
Desktop::EncoderResult runEncoderProcess(const EncoderCommand &command, EncoderOutput &output);
