#pragma once

#include "device/track_store.h"

#include <cstdint>
#include <initializer_list>
#include <string>

// A record placed in one slot of a test store.
struct PlacedRecord {
    int32_t slot;
    LogRecord record;
};

// A usable record unless the height or fix say otherwise.
LogRecord trackRecord(uint32_t time, float latitude, float longitude, int16_t height = 500,
                      uint16_t fix = 3);

// A cleared store holding `records`, walked from `startIndex`.
TrackStore makeStore(int32_t startIndex, std::initializer_list<PlacedRecord> records);

// Empty when `actual` holds the bytes of the golden file tests/data/<name>;
// otherwise the first differing line, expected against actual, or that the
// file is missing.
std::string differenceFromTestData(const std::string& name, const std::string& actual);
