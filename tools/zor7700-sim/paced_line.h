#pragma once

#include "pty_port.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>

// The device's transmitter: bytes leave at the pace of a 57600-baud line
// (8N1, 5760 bytes a second), counted by bytes so long and short sentences
// take their true time, or as fast as the pseudo-terminal takes them.
// A module's line runs at the module's own rate instead, and matches it
// against the rate the program has set: at any other, what either side sends
// reaches the other as garbage.
class PacedLine {
public:
    using Clock = std::chrono::steady_clock;

    PacedLine(PtyPort& port, bool fast) : port(port), fast(fast) {}

    void send(const std::string& bytes);
    // Hangs the line up once everything queued so far has been read.
    void hangUpAfterQueued();
    bool isIdle() const { return queue.empty() && !hangUpPending; }

    // From now on a module's line at `baud`.
    void matchRate(uint32_t baud);
    // The module's rate changes once the sentence in flight and then
    // `lastAtOldRate` (its acknowledgement, if any) have left; what was
    // queued behind them leaves at the new rate.
    void changeRateAfter(const std::string& lastAtOldRate, uint32_t baud);
    uint32_t rate() const { return baud; }
    // False while the program's port is set to another rate than a module's
    // own; always true on the ZOR 7700's line.
    bool rateMatches() const;
    bool hasHungUp() const { return hungUp; }

    // Writes what is due by now; returns when it next wants to run.
    Clock::time_point pump(Clock::time_point now);

    static constexpr double kBytesPerSecond = 5760.0;

private:
    void startClock(Clock::time_point now);
    void applyRate(uint32_t newBaud, Clock::time_point now);
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
    // 0 on the ZOR 7700's line, which paces at kBytesPerSecond and matches
    // no rate.
    uint32_t baud = 0;
    double bytesPerSecond = kBytesPerSecond;
    // A rate change waiting for this many queued bytes to leave first.
    uint32_t pendingBaud = 0;
    size_t bytesBeforeChange = 0;
    // Nothing written yet, or a sentence's LF last.
    bool atSentenceStart = true;
};
