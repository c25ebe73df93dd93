#pragma once

#include "device/dump_copy.h"
#include "output/output_file.h"

#include <cstdint>
#include <string>

// The --raw copy of a dump. A regular file (or a new one) is written under a
// temporary name beside it and moved over it only when committed, so a run
// that fails leaves an earlier copy as it was; a device or FIFO is written
// directly. A link is followed to what it names.
class RawDumpFile final : public DumpCopy {
public:
    RawDumpFile() = default;
    RawDumpFile(const RawDumpFile&) = delete;
    RawDumpFile& operator=(const RawDumpFile&) = delete;
    // Removes the temporary file of a copy that was never committed.
    ~RawDumpFile();

    // False when the copy cannot be started: a folder, or one that takes no
    // new file.
    bool open(const std::string& path);
    // Remembers a failure for commit(): the worker does not look at it.
    bool write(const void* data, uint32_t size) override;
    bool commit() override;

private:
    OutputFile file;
    std::string target;
    std::string temporary; // empty when the target is written directly
    bool failed = false;
};
