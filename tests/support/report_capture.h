#pragma once

#include "device/report_queue.h"
#include "device/report_target.h"
#include "support/non_copyable.h"

#include <cstdint>
#include <memory>
#include <vector>

// A notify target for tests on every platform: a ReportQueue on POSIX, a
// message-only window on Windows. Reports are read back on the thread that
// created the capture, oldest first.
class ReportCapture : NonCopyable {
public:
    ReportCapture();
    ~ReportCapture();

    WindowHandle target() const;
    // Every report posted so far, oldest first.
    std::vector<PostedReport> drain();
    // The next report, waiting up to `timeoutMs` for it.
    bool waitNext(PostedReport& report, uint32_t timeoutMs);

private:
    struct Target;
    std::unique_ptr<Target> impl;
};
