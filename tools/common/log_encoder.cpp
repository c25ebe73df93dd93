#include "tools/common/log_encoder.h"

#include <algorithm>
#include <bit>
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

std::vector<uint8_t> encodeRecord(const RawRecord& record, uint32_t content) {
    const RecordLayout layout = recordLayout(content);
    std::vector<uint8_t> bytes(static_cast<size_t>(layout.size), 0);
    const struct {
        ContentBit bit;
        uint32_t value;
    } fields[] = {
        {kContentTime, record.time},
        {kContentFix, record.fix},
        {kContentLatitude, floatBits(record.latitude)},
        {kContentLongitude, floatBits(record.longitude)},
        {kContentHeight, static_cast<uint16_t>(record.height)},
        {kContentSpeed, static_cast<uint16_t>(record.speed)},
        {kContentHeading, record.heading},
        {kContentHdop, record.hdop},
        {kContentSatellites, record.satellites},
    };
    for (const auto& field : fields) {
        const int32_t at = layout.at(field.bit);
        if (at < 0)
            continue;
        putLittleEndian(&bytes[static_cast<size_t>(at)], field.value,
                        contentFieldBytes(std::countr_zero(static_cast<uint32_t>(field.bit))));
    }
    bytes[static_cast<size_t>(layout.checksumOffset())] =
        recordChecksum(bytes.data(), static_cast<size_t>(layout.checksumOffset()));
    return bytes;
}

std::array<uint8_t, kRecordBytes> encodeRecord(const RawRecord& record) {
    const std::vector<uint8_t> encoded = encodeRecord(record, kBasicContent);
    std::array<uint8_t, kRecordBytes> bytes{};
    std::memcpy(bytes.data(), encoded.data(), kRecordBytes);
    return bytes;
}

std::array<uint8_t, kSectorHeaderBytes> encodeSectorHeader(const SectorHeader& header) {
    std::array<uint8_t, kSectorHeaderBytes> bytes{};
    putLittleEndian(&bytes[HeaderField::kSerial], header.serial, 2);
    bytes[HeaderField::kType] = header.type;
    bytes[HeaderField::kMode] = header.mode;
    putLittleEndian(&bytes[kHeaderContentOffset], header.content, 4);
    putLittleEndian(&bytes[HeaderField::kInterval], header.interval, 2);
    putLittleEndian(&bytes[HeaderField::kDistance], header.distance, 2);
    putLittleEndian(&bytes[HeaderField::kSpeed], header.speed, 2);
    putLittleEndian(&bytes[kHeaderChecksumOffset], sectorHeaderChecksum(bytes.data()), 2);
    for (int32_t i = 0; i < kSlotBitmapBytes; ++i) {
        const int32_t cleared = std::clamp(header.usedSlots - 8 * i, 0, 8);
        bytes[static_cast<size_t>(kSlotBitmapOffset + i)] = static_cast<uint8_t>(0xFF >> cleared);
    }
    std::copy(kHeaderTrailer.begin(), kHeaderTrailer.end(), bytes.begin() + kHeaderTrailerOffset);
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
