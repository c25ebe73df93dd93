#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

// The report transport where there are no window messages: the worker posts,
// the user-interface thread takes the reports one at a time in posting order.
struct PostedReport {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

class ReportQueue {
public:
    void post(const PostedReport& report);
    // Takes the oldest report if there is one.
    bool tryTake(PostedReport& report);
    // Waits up to `timeoutMs` for a report.
    bool waitTake(PostedReport& report, uint32_t timeoutMs);
    // Called on the posting thread after every post, so a toolkit can wake its
    // user-interface thread; set before the first run starts.
    void setWakeUp(std::function<void()> wakeUp);

private:
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<PostedReport> reports;
    std::function<void()> wakeUp;
};
