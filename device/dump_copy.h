#pragma once

#include "output/byte_sink.h"

// Where the worker keeps a copy of the raw dump: every byte read during the
// dump, then committed before anything may erase the device, like the
// output file.
class DumpCopy : public ByteSink {
public:
    // Puts the copy in its place for good; false when this or any earlier
    // write failed.
    virtual bool commit() = 0;

protected:
    ~DumpCopy() = default;
};
