#pragma once

#include "device/flash_layout.h"
#include "device/found_device.h"
#include "device/log_dump.h"

#include <cstdint>

// How a transfer or a conversion ended, for the tool's message and exit
// status.
struct RunOutcome {
    int32_t code = 0; // the run's error code, or one of the tool's exit codes
    bool erased = false;
    DumpCompleteness dump; // what arrived of the dump
    LogLayout layout;      // how its records were read
    FoundDevice device;    // what answered on the port
    bool managed = false;  // a status or logging run, done once the device was found
    bool lineRateRestored = true;
    int32_t refusedCommand = 0; // with kErrorRefused: the command and its flag
    int32_t refusedFlag = -1;
};
