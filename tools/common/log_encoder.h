#pragma once

#include "device/log_format.h"
#include "device/nmea_checksum.h"

#include <array>
#include <cstdint>
#include <string>

// Builds what the device sends: 16-byte position records and the $PMTKLOX
// sentences that carry them. Used by the simulator, the tests and the
// benchmarks; the program itself only decodes.
struct RawRecord {
    uint32_t time;
    uint8_t fix;
    float latitude;
    float longitude;
    int16_t height;
};

// The record's 16 bytes, its checksum byte included.
std::array<uint8_t, kRecordBytes> encodeRecord(const RawRecord& record);

// "$PMTKLOX,0,<lines>*HH\r\n"
std::string dumpStartSentence(int32_t lines);
// "$PMTKLOX,1,<index>,<w0>,...*HH\r\n": `words` 32-bit words as eight upper-case
// hex digits each, taken most significant byte first from `bytes`.
std::string dumpDataSentence(int32_t lineIndex, const uint8_t* bytes, int32_t words);
// "$PMTKLOX,2*47\r\n"
std::string dumpEndSentence();
