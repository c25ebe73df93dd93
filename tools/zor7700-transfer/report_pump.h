#pragma once

#include "device/report_queue.h"
#include "device/report_target.h"
#include "support/non_copyable.h"

#include <cstdint>

// Where the worker's reports reach the tool's main thread, in posting order:
// a ReportQueue on Linux, a message-only window on Windows.
class ReportPump : NonCopyable {
public:
    ReportPump();
    ~ReportPump();

    // What the worker posts to; null when the pump could not be made.
    WindowHandle target() const;
    // Waits up to `timeoutMs` for the next report.
    bool next(PostedReport& report, uint32_t timeoutMs);

private:
    void* state;
};
