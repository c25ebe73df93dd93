#pragma once

#include <cstddef>
#include <cstdint>

// How the device's log memory travels in a dump, and how one position record
// is laid out: the facts the decoder, the simulator and the encoder share.

// A dump has at most this many data lines; each carries 24 words of four
// bytes, six records of 16 bytes.
constexpr int32_t kLogLines = 1366;
constexpr int32_t kWordsPerLine = 24;
constexpr int32_t kLineBytes = kWordsPerLine * 4;
constexpr int32_t kRecordBytes = 16;
constexpr int32_t kRecordsPerLine = kLineBytes / kRecordBytes;
constexpr int32_t kWordsPerRecord = kRecordBytes / 4;

// Where each field of a record starts; all little-endian.
struct RecordField {
    static constexpr int32_t kTime = 0;      // 4 bytes, seconds since 1970
    static constexpr int32_t kFix = 4;       // 1 byte
    static constexpr int32_t kLatitude = 5;  // 4 bytes, IEEE single
    static constexpr int32_t kLongitude = 9; // 4 bytes, IEEE single
    static constexpr int32_t kHeight = 13;   // 2 bytes, signed metres
    static constexpr int32_t kChecksum = 15; // 1 byte
};

// The exclusive OR of `count` bytes. A record's checksum byte is that of the
// bytes before it, so an intact record, checksum included, gives 0.
constexpr uint8_t recordChecksum(const uint8_t* bytes, size_t count) {
    uint8_t checksum = 0;
    for (size_t i = 0; i < count; ++i)
        checksum ^= bytes[i];
    return checksum;
}
