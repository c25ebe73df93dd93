#pragma once

#include "device/log_format.h"
#include "device/nmea_checksum.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Builds what the device sends: position records of any layout, the sector
// headers of a module's flash and the $PMTKLOX sentences that carry them.
// Used by the simulator, the tests and the benchmarks; the program itself
// only decodes.
struct RawRecord {
    uint32_t time;
    uint8_t fix;
    float latitude;
    float longitude;
    int16_t height;
    // Only layouts that hold them carry these; the 16-byte record has none.
    int16_t speed = 0;
    uint16_t heading = 0;
    uint16_t hdop = 0; // hundredths
    uint8_t satellites = 0;
};

// The 16-byte record of content 0x1F, its checksum byte included.
std::array<uint8_t, kRecordBytes> encodeRecord(const RawRecord& record);
// The record as the layout of `content` holds it (recordLayout), its fields
// in bit order, then its checksum byte. Bits that name no field add nothing.
std::vector<uint8_t> encodeRecord(const RawRecord& record, uint32_t content);

// What a module writes at the start of each 4096-byte sector of its flash.
struct SectorHeader {
    uint16_t serial = 1; // counts the sectors begun since the log was erased
    uint8_t type = 0;    // 0 overlap (the oldest sector is overwritten), 1 stop when full
    uint8_t mode = 0x0A; // interval logging of fixes only
    uint32_t content = kBasicContent;
    uint16_t interval = 15; // seconds
    uint16_t distance = 0;  // metres
    uint16_t speed = 0;
    int32_t usedSlots = 0; // records written to the sector
};

// Where the header's other fields lie, around the content (bytes 4 to 7) and
// before the checksum (14 and 15); all little-endian.
struct HeaderField {
    static constexpr int32_t kSerial = 0;   // 2 bytes
    static constexpr int32_t kType = 2;     // 1 byte
    static constexpr int32_t kMode = 3;     // 1 byte
    static constexpr int32_t kInterval = 8; // 2 bytes
    static constexpr int32_t kDistance = 10;
    static constexpr int32_t kSpeed = 12;
};

// The header's used-slot bitmap: all bits set when the sector is begun, one
// cleared per record written, most significant bit first. Then four bytes
// every module seen writes the same.
constexpr int32_t kSlotBitmapOffset = 16;
constexpr int32_t kSlotBitmapBytes = 44;
constexpr int32_t kHeaderTrailerOffset = kSlotBitmapOffset + kSlotBitmapBytes;
constexpr std::array<uint8_t, 4> kHeaderTrailer = {0x00, 0xFC, 0x8C, 0x1C};

// The 64 header bytes, checksum (sectorHeaderChecksum) and trailer included.
std::array<uint8_t, kSectorHeaderBytes> encodeSectorHeader(const SectorHeader& header);

// "$PMTKLOX,0,<lines>*HH\r\n"
std::string dumpStartSentence(int32_t lines);
// "$PMTKLOX,1,<index>,<w0>,...*HH\r\n": `words` 32-bit words as eight upper-case
// hex digits each, taken most significant byte first from `bytes`.
std::string dumpDataSentence(int32_t lineIndex, const uint8_t* bytes, int32_t words);
// "$PMTKLOX,2*47\r\n"
std::string dumpEndSentence();
