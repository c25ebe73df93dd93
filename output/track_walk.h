#pragma once

#include "device/track_store.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstddef>
#include <cstdint>

// The writers begin at the earliest record and visit every slot once,
// wrapping past the end of the table: step 0 is the slot at startIndex.
inline const LogRecord& recordAtStep(const TrackStore& store, int32_t step) {
    return store.records[static_cast<size_t>((store.startIndex + step) % TrackStore::kSlots)];
}

// A gap of more than this between two points starts a new trip (a KML
// segment, a GPX track).
constexpr uint32_t kMaxSecondsInTrip = 300;

// Unsigned difference: a point earlier than its predecessor wraps to a large
// gap and starts a trip of its own.
inline bool startsNewTrip(uint32_t previousTime, uint32_t time) {
    return time - previousTime > kMaxSecondsInTrip;
}

inline bool hasFinitePosition(const LogRecord& record) {
    return std::isfinite(record.latitude) && std::isfinite(record.longitude);
}

// A record that becomes a track point. A corrupted record can pass its
// one-byte checksum with a coordinate that is not a number, and printing "nan"
// would break the document for every reader.
inline bool isTrackPoint(const LogRecord& record) {
    return isUsableRecord(record) && hasFinitePosition(record);
}

// The record's HDOP, kept in hundredths, as a number ("0.95"); empty when the
// record holds none.
inline std::array<char, 8> hdopText(const LogRecord& record) {
    std::array<char, 8> text{};
    if ((record.extras & kHasHdop) != 0) {
        std::snprintf(text.data(), text.size(), "%u.%02u", record.hdop / 100u, record.hdop % 100u);
    }
    return text;
}

// The device stores some western longitudes as values above 180.
inline double adjustedLongitude(float longitude) {
    const double widened = longitude;
    return longitude > 180.0f ? widened - 360.0 : widened;
}
