#pragma once

#include <cstddef>
#include <cstdint>

// How the log memory travels in a dump, how it is laid out in flash, and how
// one position record is laid out: the facts the decoder, the simulator and
// the encoder share.

// A dump has at most this many data lines; each carries 24 words of four
// bytes. The ZOR 7700's records are 16 bytes, six to a line.
constexpr int32_t kLogLines = 1366;
constexpr int32_t kWordsPerLine = 24;
constexpr int32_t kLineBytes = kWordsPerLine * 4;
constexpr int32_t kRecordBytes = 16;
constexpr int32_t kRecordsPerLine = kLineBytes / kRecordBytes;
constexpr int32_t kWordsPerRecord = kRecordBytes / 4;

// The flash behind the dump: sectors of 4096 bytes, each led by a 64-byte
// header; records follow it at their own size, unused bytes erased (0xFF).
constexpr int32_t kSectorBytes = 4096;
constexpr int32_t kSectorHeaderBytes = 64;
constexpr int32_t kLogSectors = kLogLines * kLineBytes / kSectorBytes; // 32
constexpr int32_t kFlashBytes = kLogLines * kLineBytes;

// The header's content bitmask says which fields a record holds; they follow
// each other in bit order, then a checksum byte.
enum ContentBit : uint32_t {
    kContentTime = 1u << 0,       // u32, seconds since 1970
    kContentFix = 1u << 1,        // u8
    kContentLatitude = 1u << 2,   // IEEE single, degrees
    kContentLongitude = 1u << 3,  // IEEE single, degrees
    kContentHeight = 1u << 4,     // s16, metres
    kContentSpeed = 1u << 5,      // s16
    kContentHeading = 1u << 6,    // u16
    kContentHdop = 1u << 10,      // u16, hundredths
    kContentSatellites = 1u << 12 // u8
};
constexpr int32_t kContentBits = 13;
// The 16-byte record: time, fix, latitude, longitude, height.
constexpr uint32_t kBasicContent = 0x1F;
constexpr uint32_t kKnownContent = 0x147F;
// A position needs these four.
constexpr uint32_t kPositionContent = 0x0F;

// Bytes of the field a content bit stands for; 0 for bits that name none.
constexpr int32_t contentFieldBytes(int32_t bit) {
    constexpr int32_t kBytes[kContentBits] = {4, 1, 4, 4, 2, 2, 2, 0, 0, 0, 2, 0, 1};
    return bit >= 0 && bit < kContentBits ? kBytes[bit] : 0;
}

// Where each field of a record of one content starts, -1 for fields it does
// not hold, and the record's size with its checksum byte.
struct RecordLayout {
    uint32_t content = 0;
    int32_t size = 0;
    int32_t offset[kContentBits] = {};

    constexpr int32_t at(ContentBit bit) const {
        for (int32_t b = 0; b < kContentBits; ++b) {
            if ((1u << b) == bit)
                return offset[b];
        }
        return -1;
    }
    constexpr int32_t checksumOffset() const { return size - 1; }
};

constexpr RecordLayout recordLayout(uint32_t content) {
    RecordLayout layout;
    layout.content = content;
    for (int32_t bit = 0; bit < kContentBits; ++bit) {
        const bool present = (content & (1u << bit)) != 0 && contentFieldBytes(bit) > 0;
        layout.offset[bit] = present ? layout.size : -1;
        layout.size += present ? contentFieldBytes(bit) : 0;
    }
    layout.size += 1;
    return layout;
}

// A content the program reads records of: every bit known, a position in it.
constexpr bool isReadableContent(uint32_t content) {
    return (content & ~kKnownContent) == 0 && (content & kPositionContent) == kPositionContent;
}

// Records of a layout in one sector, behind its header.
constexpr int32_t recordsPerSector(const RecordLayout& layout) {
    return (kSectorBytes - kSectorHeaderBytes) / layout.size;
}

// Where each field of the 16-byte record starts; all little-endian.
struct RecordField {
    static constexpr int32_t kTime = 0;      // 4 bytes, seconds since 1970
    static constexpr int32_t kFix = 4;       // 1 byte
    static constexpr int32_t kLatitude = 5;  // 4 bytes, IEEE single
    static constexpr int32_t kLongitude = 9; // 4 bytes, IEEE single
    static constexpr int32_t kHeight = 13;   // 2 bytes, signed metres
    static constexpr int32_t kChecksum = 15; // 1 byte
};
static_assert(recordLayout(kBasicContent).size == kRecordBytes);
static_assert(recordLayout(kBasicContent).at(kContentHeight) == RecordField::kHeight);

// The sector header's fields: the content bitmask (little-endian) at bytes 4
// to 7, and at 14 and 15 the exclusive OR of the seven 16-bit words before.
constexpr int32_t kHeaderContentOffset = 4;
constexpr int32_t kHeaderChecksumOffset = 14;

// The exclusive OR of `count` bytes. A record's checksum byte is that of the
// bytes before it, so an intact record, checksum included, gives 0.
constexpr uint8_t recordChecksum(const uint8_t* bytes, size_t count) {
    uint8_t checksum = 0;
    for (size_t i = 0; i < count; ++i)
        checksum ^= bytes[i];
    return checksum;
}

// The header's checksum over its first 14 bytes, as 16-bit words.
constexpr uint16_t sectorHeaderChecksum(const uint8_t* header) {
    uint16_t checksum = 0;
    for (int32_t i = 0; i < kHeaderChecksumOffset; i += 2)
        checksum ^= static_cast<uint16_t>(header[i] | (header[i + 1] << 8));
    return checksum;
}
