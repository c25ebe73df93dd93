#pragma once

#include <cstdint>

// What the track writers write to: the output file, or in tests a sink that
// fails on demand.
class ByteSink {
public:
    // One write call of exactly `size` bytes; false when it did not all land.
    virtual bool write(const void* data, uint32_t size) = 0;

protected:
    ~ByteSink() = default;
};
