#pragma once

#include "pty_port.h"

#include <chrono>
#include <deque>
#include <string>

// The device's transmitter: bytes leave at the pace of a 57600-baud line
// (8N1, 5760 bytes a second), counted by bytes so long and short sentences
// take their true time, or as fast as the pseudo-terminal takes them.
class PacedLine {
public:
    using Clock = std::chrono::steady_clock;

    PacedLine(PtyPort& port, bool fast) : port(port), fast(fast) {}

    void send(const std::string& bytes);
    // Hangs the line up once everything queued so far has been read.
    void hangUpAfterQueued();
    bool isIdle() const { return queue.empty() && !hangUpPending; }
    bool hasHungUp() const { return hungUp; }

    // Writes what is due by now; returns when it next wants to run.
    Clock::time_point pump(Clock::time_point now);

    static constexpr double kBytesPerSecond = 5760.0;

private:
    void startClock(Clock::time_point now);
    void hangUpWhenRead(Clock::time_point now);

    PtyPort& port;
    bool fast;
    std::deque<char> queue;
    bool hangUpPending = false;
    bool hungUp = false;
    // Waiting, after the last byte of a hang-up, for the reader to take it.
    bool draining = false;
    Clock::time_point hangUpDeadline{};
    Clock::time_point drainedSince{};
    // Wire clock: `paced` bytes have left since `clockStart`.
    Clock::time_point clockStart{};
    double paced = 0;
};
