#pragma once

#include "support/byte_sink.h"

#include <cstdint>
#include <limits>
#include <string>

// Collects what a writer writes and counts the write calls. With a limit it
// behaves like a disk that fills up: the first write that would pass the limit
// is refused whole and so is every later one.
class MemorySink final : public ByteSink {
public:
    MemorySink() = default;
    explicit MemorySink(uint64_t byteLimit) : limit(byteLimit) {}

    bool write(const void* data, uint32_t size) override;

    const std::string& text() const { return content; }
    uint32_t writeCalls() const { return calls; }
    // Write calls made after the first refused one: a writer must make none.
    uint32_t callsAfterRefusal() const { return lateCalls; }

private:
    uint64_t limit = std::numeric_limits<uint64_t>::max();
    std::string content;
    uint32_t calls = 0;
    bool refused = false;
    uint32_t lateCalls = 0;
};
