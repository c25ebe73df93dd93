#pragma once

#include "device/log_format.h"

#include <array>
#include <cstdint>

// The optional fields a record held, in LogRecord::extras.
enum RecordExtra : uint8_t {
    kHasSpeed = 1,
    kHasHeading = 2,
    kHasHdop = 4,
    kHasSatellites = 8,
};

// One decoded position of the device's log.
struct LogRecord {
    uint32_t time;   // seconds since 1970-01-01 00:00:00 UTC
    float latitude;  // degrees, north positive
    float longitude; // degrees, east positive
    int16_t height;  // metres
    uint16_t fix;    // 0 to 4; a position is present from 2 on
    // What the richer layouts of a module's log add; the ZOR 7700's
    // records hold none of them.
    uint8_t extras = 0;
    uint8_t satellites = 0;
    uint16_t hdop = 0; // hundredths
    int16_t speed = 0;
    uint16_t heading = 0;
};

// The whole log as the dump delivered it: record k of data line n lives in
// slot n * 6 + k; records of another layout live in slot
// sector * kSlotsPerSector + i, in flash order too. The writers start at the
// earliest record and walk the ring once.
struct TrackStore {
    static constexpr int32_t kLines = kLogLines;
    static constexpr int32_t kRecordsPerLine = ::kRecordsPerLine;
    // The most records of any layout in a sector: 288 of the smallest, 14
    // bytes; 9216 in the 32 sectors, more than the 8196 of 16 bytes.
    static constexpr int32_t kSlotsPerSector = recordsPerSector(recordLayout(kPositionContent));
    static constexpr int32_t kSlots = kLogSectors * kSlotsPerSector;
    static_assert(kSlots >= kLines * kRecordsPerLine);

    std::array<LogRecord, kSlots> records{};
    int32_t startIndex = -1;
    uint32_t earliestTime = 0xFFFFFFFFu;

    void clear();
};

// A record both writers turn into a track point.
inline bool isUsableRecord(const LogRecord& record) {
    return (record.fix & 0x0F) > 1 && record.height >= -449;
}
