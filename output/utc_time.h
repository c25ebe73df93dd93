#pragma once

#include <array>
#include <cstdint>

// A record time broken down as UTC. Record times are unsigned 32-bit, so the
// breakdown covers 1970-01-01 to 2106-02-07 without the C library's signed
// time limits.
struct UtcTime {
    int32_t year;
    int32_t month; // 1 to 12
    int32_t day;   // 1 to 31
    int32_t hour;  // 0 to 23
    int32_t minute;
    int32_t second;
};

UtcTime breakDownUtc(uint32_t secondsSince1970);

// A broken-down time as text, terminated.
using UtcText = std::array<char, 24>;

// "YYYY-MM-DD HH:MM:SS": the label that names documents, segments and trips.
UtcText utcLabel(uint32_t secondsSince1970);
// "YYYY-MM-DDTHH:MM:SSZ": ISO 8601 in UTC, as XML formats write times.
UtcText utcIsoTime(uint32_t secondsSince1970);
