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

// What a byte sent at one rate looks like read at another: never a "$", so
// no sentence can form, the same every time. Real garbage varies with the
// rates; nothing the program does may depend on its look.
char garbled(char byte) {
    return static_cast<char>(0x80 | (static_cast<uint8_t>(byte) ^ 0x5A));
}

} // namespace

void PacedLine::matchRate(uint32_t newBaud) {
    applyRate(newBaud, Clock::now());
}

void PacedLine::changeRateAfter(const std::string& lastAtOldRate, uint32_t newBaud) {
    auto end = atSentenceStart ? queue.begin() : std::find(queue.begin(), queue.end(), '\n');
    size_t before = static_cast<size_t>(end - queue.begin()) + (end != queue.end() ? 1 : 0);
    if (queue.empty())
        startClock(Clock::now());
    queue.insert(queue.begin() + static_cast<long>(before), lastAtOldRate.begin(),
                 lastAtOldRate.end());
    before += lastAtOldRate.size();
    if (before == 0) {
        applyRate(newBaud, Clock::now());
        return;
    }
    pendingBaud = newBaud;
    bytesBeforeChange = before;
}

void PacedLine::applyRate(uint32_t newBaud, Clock::time_point now) {
    baud = newBaud;
    bytesPerSecond = newBaud / 10.0; // 8N1: ten bits a byte
    pendingBaud = 0;
    bytesBeforeChange = 0;
    startClock(now);
}

bool PacedLine::rateMatches() const {
    return baud == 0 || port.programRate() == baud;
}

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
        if (pendingBaud != 0)
            size = std::min(size, bytesBeforeChange);
        auto due = clockStart + std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>((paced + size) / bytesPerSecond));
        if (!fast && due > now)
            return due;
        std::string chunk(queue.begin(), queue.begin() + static_cast<long>(size));
        // Looked at for every piece: the program may change its rate at any
        // moment.
        if (!rateMatches())
            std::transform(chunk.begin(), chunk.end(), chunk.begin(), garbled);
        size_t written = port.write(chunk.data(), chunk.size());
        if (written > 0)
            atSentenceStart = queue[written - 1] == '\n';
        queue.erase(queue.begin(), queue.begin() + static_cast<long>(written));
        if (pendingBaud != 0 && (bytesBeforeChange -= written) == 0) {
            applyRate(pendingBaud, now);
            continue;
        }
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
