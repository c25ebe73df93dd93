#pragma once

#include <cstddef>
#include <cstdint>

// What runs on the simulated logger, the ZOR 7700's or a module's: it takes
// the program's bytes and sends what falls due.
class SimFirmware {
public:
    virtual ~SimFirmware() = default;
    // Bytes from the program on the other side, at `nowMs` since start.
    virtual void receive(const char* bytes, size_t size, uint32_t nowMs) = 0;
    // Sends what has fallen due by `nowMs`: late replies and chatter.
    virtual void tick(uint32_t nowMs) = 0;
};
