#pragma once

#include "device/found_device.h"

#include <cstdint>
#include <cstdio>

// Shows how a transfer goes: a bar that redraws itself on a terminal and
// fits its width, plain lines ("progress 42%") when the output goes to a file
// or a pipe.
class ProgressDisplay {
public:
    ProgressDisplay(FILE* out, bool terminal) : out(out), terminal(terminal) {}

    // The logger, and a module's status line.
    void deviceFound(int32_t portNumber, const FoundDevice& device);
    void progress(int32_t percent);
    // The pause before the erase has begun; a stop now keeps the memory.
    void erasePending(int32_t seconds);
    // Ends the bar's line before anything else is printed.
    void finish();

private:
    FILE* out;
    bool terminal;
    bool barShown = false;
};
