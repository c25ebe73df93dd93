#include "paced_line.h"

#include <algorithm>

namespace {

// Bytes per write: about 2.8 ms of line time, so the stream stays even.
constexpr size_t kPacedChunk = 16;
constexpr size_t kFastChunk = 4096;
constexpr auto kIdlePoll = std::chrono::milliseconds(50);
constexpr auto kBlockedPoll = std::chrono::milliseconds(5);
// The reader gets this long to take what is in flight before a hang-up.
constexpr auto kHangUpGrace = std::chrono::seconds(3);
// Written bytes reach the reader's queue a little later, so an empty queue
// counts only once it has stayed empty this long.
constexpr auto kDrainedFor = std::chrono::milliseconds(100);

} // namespace

void PacedLine::send(const std::string& bytes) {
    if (queue.empty())
        startClock(Clock::now());
    queue.insert(queue.end(), bytes.begin(), bytes.end());
}

void PacedLine::hangUpAfterQueued() {
    hangUpPending = true;
    draining = false;
}

void PacedLine::startClock(Clock::time_point now) {
    clockStart = now;
    paced = 0;
}

PacedLine::Clock::time_point PacedLine::pump(Clock::time_point now) {
    while (!queue.empty()) {
        size_t size = std::min(fast ? kFastChunk : kPacedChunk, queue.size());
        auto due =
            clockStart + std::chrono::duration_cast<Clock::duration>(
                             std::chrono::duration<double>((paced + size) / kBytesPerSecond));
        if (!fast && due > now)
            return due;
        std::string chunk(queue.begin(), queue.begin() + static_cast<long>(size));
        size_t written = port.write(chunk.data(), chunk.size());
        queue.erase(queue.begin(), queue.begin() + static_cast<long>(written));
        if (written < size) {
            // The reader is behind: resume the pace from here instead of
            // catching up in a burst.
            startClock(now);
            return now + kBlockedPoll;
        }
        paced += static_cast<double>(size);
    }
    if (hangUpPending) {
        hangUpWhenRead(now);
        return now + kBlockedPoll;
    }
    return now + kIdlePoll;
}

void PacedLine::hangUpWhenRead(Clock::time_point now) {
    if (!draining) {
        draining = true;
        hangUpDeadline = now + kHangUpGrace;
        drainedSince = now;
    }
    int unread = 0;
    if (port.unreadBytes(unread) && unread > 0)
        drainedSince = now;
    if (now - drainedSince < kDrainedFor && now < hangUpDeadline)
        return;
    port.hangUp();
    hangUpPending = false;
    hungUp = true;
}
