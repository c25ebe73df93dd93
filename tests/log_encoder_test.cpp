#include "tools/common/log_encoder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

template <typename Bytes> std::string hex(const Bytes& bytes) {
    std::string text;
    for (uint8_t b : bytes)
        text += "0123456789ABCDEF"[b >> 4] + std::string(1, "0123456789ABCDEF"[b & 15]);
    return text;
}

TEST(LogEncoder, RecordBytesAndSentences) {
    const std::array<uint8_t, 16> worked = encodeRecord({1600000000u, 3, 48.5f, 11.25f, 520});
    const std::array<uint8_t, 16> expectedWorked = {0x00, 0x10, 0x5E, 0x5F, 0x03, 0x00, 0x00, 0x42,
                                                    0x42, 0x00, 0x00, 0x34, 0x41, 0x08, 0x02, 0x6D};
    EXPECT_EQ(expectedWorked, worked);

    const std::array<uint8_t, 16> negative = encodeRecord({0xFFFFFFFFu, 2, -1.0f, -2.0f, -1});
    EXPECT_EQ(0xFF, negative[13]) << "height is little-endian two's complement";
    EXPECT_EQ(0xFF, negative[14]);
    uint8_t sum = 0;
    for (uint8_t b : negative)
        sum ^= b;
    EXPECT_EQ(0, sum) << "all 16 bytes XOR to zero";

    struct Row {
        const char* name;
        std::string actual;
        std::string expected;
    };
    const Row rows[] = {
        {"end sentence", dumpEndSentence(), "$PMTKLOX,2*47\r\n"},
        {"start sentence", dumpStartSentence(86), withChecksum("PMTKLOX,0,86")},
        {"data line words are upper-case, most significant byte first",
         dumpDataSentence(7, worked.data(), 4),
         withChecksum("PMTKLOX,1,7,00105E5F,03000042,42000034,4108026D")},
        {"checksum of the body", withChecksum("A,,B"), "$A,,B*03\r\n"},
        {"content 0x1F, and bits that name no field, give the 16-byte record",
         hex(encodeRecord({1600000000u, 3, 48.5f, 11.25f, 520, 7, 8, 9, 10}, 0x9F)), hex(worked)},
        {"0x147F: speed, heading, HDOP and satellites behind the height",
         hex(encodeRecord({1600000000u, 3, 48.5f, 11.25f, 520, -2, 359, 125, 9}, 0x147F)),
         "00105E5F0300004242000034410802FEFF67017D00097E"},
        {"the header of a PA6H's dump: 86 records, stop when full, every 15 s",
         hex(encodeSectorHeader({1, 1, 0x0A, 0x1F, 15, 0, 0, 86})),
         "0100010A1F0000000F0000000000100A" + std::string(20, '0') + "03" + std::string(66, 'F') +
             "00FC8C1C"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, row.actual) << row.name;
}

} // namespace
