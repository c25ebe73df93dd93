#pragma once

#include "device/transfer_texts.h"

#include <cstdint>

// How a transfer or a conversion ended, for the tool's message and exit
// status.
struct RunOutcome {
    int32_t code = 0; // the run's error code, or one of the tool's exit codes
    bool erased = false;
    // What arrived of the dump, how its records were read, what answered.
    CompletionNotes notes;
    bool managed = false;       // a status or logging run, done once the device was found
    int32_t refusedCommand = 0; // with kErrorRefused: the command and its flag
    int32_t refusedFlag = -1;
};
