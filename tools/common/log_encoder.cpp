#include "tools/common/log_encoder.h"

#include <cstdio>
#include <cstring>

namespace {

void putLittleEndian(uint8_t* out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t floatBits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace

std::array<uint8_t, 16> encodeRecord(const RawRecord& record) {
    std::array<uint8_t, 16> bytes{};
    putLittleEndian(&bytes[0], record.time, 4);
    bytes[4] = record.fix;
    putLittleEndian(&bytes[5], floatBits(record.latitude), 4);
    putLittleEndian(&bytes[9], floatBits(record.longitude), 4);
    putLittleEndian(&bytes[13], static_cast<uint16_t>(record.height), 2);
    uint8_t checksum = 0;
    for (int i = 0; i < 15; ++i)
        checksum ^= bytes[i];
    bytes[15] = checksum;
    return bytes;
}

std::string withChecksum(const std::string& body) {
    uint8_t checksum = 0;
    for (char c : body)
        checksum ^= static_cast<uint8_t>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", checksum);
    return "$" + body + tail;
}

std::string dumpStartSentence(int32_t lines) {
    return withChecksum("PMTKLOX,0," + std::to_string(lines));
}

std::string dumpDataSentence(int32_t lineIndex, const uint8_t* bytes, int32_t words) {
    std::string body = "PMTKLOX,1," + std::to_string(lineIndex);
    for (int32_t w = 0; w < words; ++w) {
        const uint8_t* b = bytes + 4 * w;
        char word[10];
        std::snprintf(word, sizeof word, ",%02X%02X%02X%02X", b[0], b[1], b[2], b[3]);
        body += word;
    }
    return withChecksum(body);
}

std::string dumpEndSentence() {
    return withChecksum("PMTKLOX,2");
}
