#pragma once

#include "device/log_format.h"

#include <array>
#include <cstdint>

// One decoded position of the device's log.
struct LogRecord {
    uint32_t time;   // seconds since 1970-01-01 00:00:00 UTC
    float latitude;  // degrees, north positive
    float longitude; // degrees, east positive
    int16_t height;  // metres
    uint16_t fix;    // 0 to 4; a position is present from 2 on
};

// The whole log as the dump delivered it: record k of data line n lives in
// slot n * 6 + k, and the writers start at the earliest record and walk the
// ring once.
struct TrackStore {
    static constexpr int32_t kLines = kLogLines;
    static constexpr int32_t kRecordsPerLine = ::kRecordsPerLine;
    static constexpr int32_t kSlots = kLines * kRecordsPerLine; // 8196

    std::array<LogRecord, kSlots> records{};
    int32_t startIndex = -1;
    uint32_t earliestTime = 0xFFFFFFFFu;

    void clear();
};

// A record both writers turn into a track point.
inline bool isUsableRecord(const LogRecord& record) {
    return (record.fix & 0x0F) > 1 && record.height >= -449;
}
