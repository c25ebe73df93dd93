#pragma once

#include "device/flash_layout.h"
#include "device/log_dump.h"

#include <cstdint>

// How a transfer or a conversion ended, for the tool's message and exit
// status.
struct RunOutcome {
    int32_t code = 0; // the run's error code, or one of the tool's exit codes
    bool erased = false;
    DumpCompleteness dump; // what arrived of the dump
    LogLayout layout;      // how its records were read
};
