#pragma once

#include <cstdint>

// A record time broken down as UTC. Record times are unsigned 32-bit, so the
// breakdown covers 1970-01-01 to 2106-02-07 without the C library's signed
// time limits.
struct UtcTime {
    int32_t year;
    int32_t month;  // 1 to 12
    int32_t day;    // 1 to 31
    int32_t hour;   // 0 to 23
    int32_t minute;
    int32_t second;
};

UtcTime breakDownUtc(uint32_t secondsSince1970);
