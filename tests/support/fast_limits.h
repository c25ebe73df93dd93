#pragma once

#include "device/transfer_time_limits.h"

#include <cstdint>

// The worker's time limits as the design states them, written here apart
// from the program's defaults: the end-to-end tests, which run the program's
// own, check against these.
constexpr TransferTimeLimits kRealLimits = {1000, 3000, 5000,  50,   1000, 3000,
                                            1200, 1000, 10000, 2000, 100};

// Unit tests of the worker run this many times faster than a real line:
// every limit, and every delay of the device or the user that races one.
constexpr uint32_t kTimeDivisor = 10;
constexpr uint32_t fastMs(uint32_t realMs) {
    return realMs / kTimeDivisor;
}
constexpr TransferTimeLimits kFastLimits = {
    fastMs(kRealLimits.detectionMs),
    fastMs(kRealLimits.dumpSilenceMs),
    fastMs(kRealLimits.pauseBeforeEraseMs),
    fastMs(kRealLimits.shortReadPauseMs),
    fastMs(kRealLimits.goAheadSliceMs),
    fastMs(kRealLimits.stopWaitMs),
    fastMs(kRealLimits.moduleListenMs),
    fastMs(kRealLimits.moduleReplyMs),
    fastMs(kRealLimits.eraseAcknowledgementMs),
    fastMs(kRealLimits.restartMs),
    fastMs(kRealLimits.rateSwitchPauseMs),
};
