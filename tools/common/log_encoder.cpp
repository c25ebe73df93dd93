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

std::array<uint8_t, kRecordBytes> encodeRecord(const RawRecord& record) {
    std::array<uint8_t, kRecordBytes> bytes{};
    putLittleEndian(&bytes[RecordField::kTime], record.time, 4);
    bytes[RecordField::kFix] = record.fix;
    putLittleEndian(&bytes[RecordField::kLatitude], floatBits(record.latitude), 4);
    putLittleEndian(&bytes[RecordField::kLongitude], floatBits(record.longitude), 4);
    putLittleEndian(&bytes[RecordField::kHeight], static_cast<uint16_t>(record.height), 2);
    bytes[RecordField::kChecksum] = recordChecksum(bytes.data(), RecordField::kChecksum);
    return bytes;
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
