#include "device/report_queue.h"

#include <chrono>
#include <utility>

void ReportQueue::post(const PostedReport& report) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        reports.push_back(report);
    }
    posted.notify_one();
    // Set before any run starts, so reading it unlocked here is safe.
    if (wakeUp)
        wakeUp();
}

bool ReportQueue::tryTake(PostedReport& report) {
    std::lock_guard<std::mutex> lock(mutex);
    if (reports.empty())
        return false;
    report = reports.front();
    reports.pop_front();
    return true;
}

bool ReportQueue::waitTake(PostedReport& report, uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex);
    if (!posted.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                         [this] { return !reports.empty(); }))
        return false;
    report = reports.front();
    reports.pop_front();
    return true;
}

void ReportQueue::setWakeUp(std::function<void()> callback) {
    std::lock_guard<std::mutex> lock(mutex);
    wakeUp = std::move(callback);
}
