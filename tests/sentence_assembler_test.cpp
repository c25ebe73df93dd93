#include "device/sentence_assembler.h"
#include "tools/common/log_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace {

using Sentences = std::vector<std::string>;

// Feeds `stream` in reads of the given sizes (the rest in a last read) and
// collects every accepted sentence text.
Sentences feedInReads(const std::string& stream, const std::vector<size_t>& readSizes) {
    SentenceAssembler assembler;
    Sentences accepted;
    size_t offset = 0;
    auto feedRead = [&](size_t size) {
        for (size_t end = std::min(offset + size, stream.size()); offset < end; ++offset) {
            if (assembler.feedByte(static_cast<uint8_t>(stream[offset])))
                accepted.emplace_back(assembler.text());
        }
    };
    for (size_t size : readSizes)
        feedRead(size);
    feedRead(stream.size());
    return accepted;
}

Sentences feedAll(const std::string& stream) {
    return feedInReads(stream, {});
}

// A sentence whose body has `bodyLength` characters, checksum included.
std::string sentenceOfBody(size_t bodyLength) {
    return withChecksum("PMTKLOX," + std::string(bodyLength - 8, 'A'));
}

std::string withoutLineEnd(const std::string& sentence) {
    return sentence.substr(0, sentence.size() - 2);
}

std::string lowerCaseChecksum(std::string sentence) {
    const size_t star = sentence.rfind('*');
    for (size_t i = star + 1; i < sentence.size(); ++i)
        sentence[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(sentence[i])));
    return sentence;
}

const std::string kEnd = "$PMTKLOX,2*47\r\n";
// "$GPGGA,...": a sentence of another kind whose checksum holds letters.
const std::string kForeign = withChecksum("GPGGA,122640,4830.0000,N,01115.0000,E,1,,,520.0,M,,,,");

TEST(SentenceAssembler, AcceptsExactlyWellFormedSentences) {
    struct Row {
        const char* name;
        std::string stream;
        Sentences expected;
    };
    const Row rows[] = {
        {"one sentence", kEnd, {"$PMTKLOX,2*47"}},
        {"shortest: 11 bytes, five-character body", withChecksum("ABCDE"), {"$ABCDE*41"}},
        {"10 bytes rejected despite a correct checksum", withChecksum("ABCD"), {}},
        {"a NUL inside the body counts towards the checksum",
         withChecksum(std::string_view("AB\0CDE", 6)),
         {"$AB"}},
        {"255 bytes accepted", sentenceOfBody(249), {withoutLineEnd(sentenceOfBody(249))}},
        {"256 bytes dropped, its LF ignored, the rest ignored until the next $",
         sentenceOfBody(250) + "ABCDE*41\r\n" + kEnd,
         {"$PMTKLOX,2*47"}},
        {"$ inside a sentence restarts there", "$GPGSV,1,1,0$PMTKLOX,2*47\r\n", {"$PMTKLOX,2*47"}},
        {"bytes before the first $ are ignored, a stray LF too",
         "\n*47\r\nPMTKLOX,2*47\r\n" + kEnd,
         {"$PMTKLOX,2*47"}},
        {"LF without CR rejected", "$PMTKLOX,2*47\n" + kEnd, {"$PMTKLOX,2*47"}},
        {"one checksum digit rejected", "$PMTKLOX,2*4\r\n", {}},
        {"three checksum digits rejected", "$PMTKLOX,2*047\r\n", {}},
        {"wrong checksum rejected", "$PMTKLOX,2*46\r\n", {}},
        // The body "PMTKLOX,2J" sums to 0D and "PMTKLOX,2G" to 00.
        {"checksum 0D accepted as two digits", "$PMTKLOX,2J*0D\r\n", {"$PMTKLOX,2J*0D"}},
        {"a non-digit behind one digit rejected", "$PMTKLOX,2J*DZ\r\n", {}},
        {"a blank before one digit rejected", "$PMTKLOX,2J* D\r\n", {}},
        {"a sign before one digit rejected", "$PMTKLOX,2J*+D\r\n", {}},
        {"a 0x prefix is no checksum", "$PMTKLOX,2G*0x\r\n", {}},
        {"lower-case checksum digits accepted",
         lowerCaseChecksum(kForeign),
         {withoutLineEnd(lowerCaseChecksum(kForeign))}},
        {"checksum stops at the first star", withChecksum("AB*CD"), {}},
        {"foreign sentences and garbage interleaved",
         "xx" + kForeign + "\r\n\r\n" + kEnd + "$GP" + kForeign + "garbage\n" + kEnd,
         {withoutLineEnd(kForeign), "$PMTKLOX,2*47", withoutLineEnd(kForeign), "$PMTKLOX,2*47"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expected, feedAll(row.stream));
    }
}

TEST(SentenceAssembler, ChecksumOfABodyWithAStar) {
    // The checksum covers the bytes up to the first star only.
    const std::string stream = "$AB*CD*" + withChecksum("AB").substr(4, 2) + "\r\n";
    EXPECT_EQ(Sentences{withoutLineEnd(stream)}, feedAll(stream));
}

TEST(SentenceAssembler, EverySplitAcrossReadsGivesTheSameSentences) {
    const std::string stream = "\n" + kForeign + "$GPGSV,1,1,0" + kEnd + "junk" +
                               dumpStartSentence(86) + sentenceOfBody(250) + kEnd;
    const Sentences whole = feedAll(stream);
    ASSERT_EQ(4u, whole.size());
    for (size_t first = 0; first <= stream.size(); ++first) {
        for (size_t second = 0; first + second <= stream.size(); second += 7)
            ASSERT_EQ(whole, feedInReads(stream, {first, second}))
                << "reads of " << first << " and " << second << " bytes";
    }
    for (size_t size = 1; size <= stream.size(); ++size) {
        std::vector<size_t> reads(stream.size() / size + 1, size);
        ASSERT_EQ(whole, feedInReads(stream, reads)) << "reads of " << size << " bytes each";
    }
}

TEST(SentenceAssembler, IdleAfterEverySentenceEnd) {
    SentenceAssembler assembler;
    for (char c : kEnd)
        assembler.feedByte(static_cast<uint8_t>(c));
    EXPECT_EQ(-1, assembler.position);
    for (char c : std::string("$ABCD*04\r\n"))
        assembler.feedByte(static_cast<uint8_t>(c));
    EXPECT_EQ(-1, assembler.position) << "a rejected sentence also ends assembly";
}

TEST(ExtractField, Fields) {
    struct Row {
        const char* name;
        const char* sentence;
        int32_t n;
        bool expectFound;
        std::string expectField;
    };
    const Row rows[] = {
        {"field 0 is the address with its $", "$PMTKLOX,1,23,0A0B*46", 0, true, "$PMTKLOX"},
        {"field 1", "$PMTKLOX,1,23,0A0B*46", 1, true, "1"},
        {"field 2", "$PMTKLOX,1,23,0A0B*46", 2, true, "23"},
        {"the star ends the last field", "$PMTKLOX,1,23,0A0B*46", 3, true, "0A0B"},
        {"no field behind the star", "$PMTKLOX,1,23,0A0B*46", 4, false, ""},
        {"empty field", "$A,,B*03", 1, true, ""},
        {"field behind an empty one", "$A,,B*03", 2, true, "B"},
        {"negative n reads as 0", "$A,,B*03", -3, true, "$A"},
        {"20 characters cut to 15", "$A,ABCDEFGHIJKLMNOPQRST,X*00", 1, true, "ABCDEFGHIJKLMNO"},
        {"text without star ends at NUL", "$A,xyz", 1, true, "xyz"},
        {"trailing comma gives an empty last field", "$A,", 1, true, ""},
        {"empty text has no field 0", "", 0, false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        char field[16];
        std::fill(std::begin(field), std::end(field), '#');
        EXPECT_EQ(row.expectFound, extractField(row.sentence, row.n, field));
        EXPECT_EQ(row.expectField, std::string(field));
    }
}

} // namespace
