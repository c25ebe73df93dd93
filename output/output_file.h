#pragma once

#include "output/byte_sink.h"
#include "support/cwstr.h"

#include <cstdint>

// The output file of a run: created empty (an existing file is replaced),
// written line by line without buffering of our own, closed on every path.
class OutputFile final : public ByteSink {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { close(); }

    bool create(const CWStr& path);
    bool write(const void* data, uint32_t size) override;
    // Forces the contents to the disk and closes; false if either failed. The
    // device's log is erased only after this succeeded.
    bool commit();
    void close();
    bool isOpen() const { return handle != kInvalid; }

private:
    static constexpr intptr_t kInvalid = -1;
    intptr_t handle = kInvalid;
};
