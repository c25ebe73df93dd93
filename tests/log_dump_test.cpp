#include "device/log_dump.h"
#include "tools/common/log_encoder.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kWordsPerLine = 24;

// Sentence text as the assembler hands it over: without CR LF.
std::string text(const std::string& sentence) {
    return sentence.substr(0, sentence.size() - 2);
}

// A data line whose record k is records[k] (when given); the other records
// fail their checksum and so leave their slots alone.
std::string dataLine(int32_t index, const std::vector<std::optional<RawRecord>>& records,
                     int32_t words = kWordsPerLine) {
    std::vector<uint8_t> bytes(static_cast<size_t>(std::max(words, kWordsPerLine)) * 4, 0);
    for (size_t k = 0; (k + 1) * 16 <= bytes.size(); ++k) {
        if (k < records.size() && records[k]) {
            const auto encoded = encodeRecord(*records[k]);
            std::copy(encoded.begin(), encoded.end(), bytes.begin() + static_cast<long>(k * 16));
        } else {
            bytes[k * 16 + 15] = 0x01;
        }
    }
    return text(dumpDataSentence(index, bytes.data(), words));
}

// The same data line with its type field written as `type` instead of "1".
std::string typedAs(const std::string& type, const std::string& line) {
    const size_t star = line.rfind('*');
    return text(withChecksum("PMTKLOX," + type + line.substr(10, star - 10)));
}

RawRecord at(uint32_t time, uint8_t fix = 3) {
    return {time, fix, 48.5f, 11.25f, 520};
}

std::unique_ptr<TrackStore> freshStore() {
    auto store = std::make_unique<TrackStore>();
    store->clear();
    return store;
}

// Feeds sentence texts through the handler and keeps the progress it gave
// to report.
struct Dump {
    std::unique_ptr<TrackStore> store = freshStore();
    DumpProgress progress;
    DumpCompleteness completeness;
    std::vector<intptr_t> reported;

    bool feed(const std::string& sentence) {
        int32_t percent = -1;
        const bool goesOn =
            handleLogSentence(sentence.c_str(), *store, progress, completeness, percent);
        if (percent >= 0)
            reported.push_back(percent);
        return goesOn;
    }

    // The start sentence (none when `announced` is empty), then line n
    // holding one record at time n + 1 for every n of `lines`.
    void feedLines(std::optional<int32_t> announced, const std::vector<int32_t>& lines) {
        if (announced)
            feed(text(dumpStartSentence(*announced)));
        for (int32_t line : lines)
            feed(dataLine(line, {at(static_cast<uint32_t>(line + 1))}));
    }

    std::vector<intptr_t> percentages() { return std::exchange(reported, {}); }

    const LogRecord& slot(int32_t s) const { return store->records[static_cast<size_t>(s)]; }
};

void expectRecord(const LogRecord& expected, const LogRecord& actual) {
    EXPECT_EQ(expected.time, actual.time);
    EXPECT_EQ(expected.latitude, actual.latitude);
    EXPECT_EQ(expected.longitude, actual.longitude);
    EXPECT_EQ(expected.height, actual.height);
    EXPECT_EQ(expected.fix, actual.fix);
}

TEST(LogDump, WorkedRecordDecodes) {
    Dump dump;
    std::string words = ",00105E5F,03000042,42000034,4108026D";
    for (int i = 4; i < kWordsPerLine; ++i)
        words += ",00000000";
    EXPECT_TRUE(dump.feed(text(withChecksum("PMTKLOX,1,0" + words))));
    expectRecord({1600000000u, 48.5f, 11.25f, 520, 3}, dump.slot(0));
    // All-zero records pass their checksum with fix 0: stored without position.
    expectRecord({0, 0.0f, 0.0f, 0, 0}, dump.slot(1));
    EXPECT_EQ(0, dump.store->startIndex);
    EXPECT_EQ(1600000000u, dump.store->earliestTime);
}

TEST(LogDump, DecodesNegativeAndWesternValues) {
    Dump dump;
    const RawRecord raw{4000000000u, 4, -33.875f, 200.5f, -449};
    dump.feed(dataLine(3, {std::nullopt, raw}));
    expectRecord({4000000000u, -33.875f, 200.5f, -449, 4}, dump.slot(19));
    EXPECT_EQ(19, dump.store->startIndex);
}

TEST(LogDump, FixRules) {
    struct Row {
        const char* name;
        uint8_t fixByte;
        uint16_t expectFix;
        bool expectPosition;
    };
    const Row rows[] = {
        {"fix 0 stored without position", 0, 0, false},
        {"fix 1 stored without position", 1, 1, false},
        {"fix 2 stores the record", 2, 2, true},
        {"fix 3 stores the record", 3, 3, true},
        {"fix 4 stores the record", 4, 4, true},
        {"fix 5 reads as 0", 5, 0, false},
        {"fix 7 reads as 0", 7, 0, false},
        {"fix 255 reads as 0", 255, 0, false},
    };
    const LogRecord earlier{100, 1.0f, 2.0f, 3, 2};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Dump dump;
        dump.store->records[0] = earlier;
        dump.feed(dataLine(0, {RawRecord{50, row.fixByte, 48.5f, 11.25f, 520}}));
        if (row.expectPosition) {
            expectRecord({50, 48.5f, 11.25f, 520, row.expectFix}, dump.slot(0));
            EXPECT_EQ(0, dump.store->startIndex);
        } else {
            expectRecord({100, 1.0f, 2.0f, 3, row.expectFix}, dump.slot(0));
            EXPECT_EQ(-1, dump.store->startIndex);
        }
    }
}

TEST(LogDump, RecordWithBadChecksumLeavesItsSlot) {
    Dump dump;
    dump.store->records[1] = {100, 1.0f, 2.0f, 3, 2};
    auto bytes = encodeRecord(at(50));
    bytes[2] ^= 0x40; // a flipped bit
    std::vector<uint8_t> line(96, 0);
    std::copy(bytes.begin(), bytes.end(), line.begin() + 16);
    dump.feed(text(dumpDataSentence(0, line.data(), kWordsPerLine)));
    expectRecord({100, 1.0f, 2.0f, 3, 2}, dump.slot(1));
    EXPECT_EQ(-1, dump.store->startIndex);
}

TEST(LogDump, LineIndexRangeAndWordCounts) {
    const std::vector<std::optional<RawRecord>> six = {at(10), at(11), at(12),
                                                       at(13), at(14), at(15)};
    struct Row {
        const char* name;
        std::string sentence;
        int32_t firstSlot;
        int32_t expectDecoded; // records stored from firstSlot on
        int32_t expectNextLine;
    };
    const Row rows[] = {
        {"line 0 fills slots 0 to 5", dataLine(0, six), 0, 6, 1},
        {"line 1365 fills slots 8190 to 8195", dataLine(1365, six), 8190, 6, 1366},
        {"line 1366 is ignored", dataLine(1366, six), 8190, 0, 0},
        {"negative line is ignored", dataLine(-1, six), 0, 0, 0},
        {"25 words decode from the first 24", dataLine(7, six, 25), 42, 6, 8},
        {"23 words still decode their five complete records", dataLine(7, six, 23), 42, 5, 8},
        {"a 16-word final line decodes its four records", dataLine(1365, six, 16), 8190, 4, 1366},
        {"3 words hold no complete record", dataLine(7, six, 3), 42, 0, 8},
        {"no words at all", text(withChecksum("PMTKLOX,1,7")), 42, 0, 8},
        {"type written 01 reads like 1", typedAs("01", dataLine(7, six)), 42, 6, 8},
        {"type written +1 reads like 1", typedAs("+1", dataLine(7, six)), 42, 6, 8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Dump dump;
        EXPECT_TRUE(dump.feed(row.sentence));
        int32_t decoded = 0;
        for (int32_t k = 0; k < 6; ++k)
            decoded += dump.slot(row.firstSlot + k).fix == 3 ? 1 : 0;
        EXPECT_EQ(row.expectDecoded, decoded);
        if (row.expectDecoded > 0) {
            EXPECT_EQ(10u + static_cast<uint32_t>(row.expectDecoded) - 1,
                      dump.slot(row.firstSlot + row.expectDecoded - 1).time);
            EXPECT_EQ(row.firstSlot, dump.store->startIndex);
        } else {
            EXPECT_EQ(-1, dump.store->startIndex);
        }
        EXPECT_EQ(row.expectNextLine, dump.progress.expectedLine);
    }
}

TEST(LogDump, RepeatedLineOverwritesOnlyCheckedRecords) {
    Dump dump;
    dump.feed(dataLine(4, {at(500), at(600), at(700)}));
    // Again, out of order: record 0 earlier than before, record 1 without
    // position, record 2 failing its checksum.
    dump.feed(dataLine(4, {at(400), at(50, 1)}));
    EXPECT_EQ(400u, dump.slot(24).time);
    expectRecord({600, 48.5f, 11.25f, 520, 1}, dump.slot(25));
    EXPECT_EQ(700u, dump.slot(26).time);
    EXPECT_EQ(24, dump.store->startIndex);
    EXPECT_EQ(400u, dump.store->earliestTime);

    // The start stays even when its slot is later overwritten with a later time.
    dump.feed(dataLine(4, {at(900)}));
    EXPECT_EQ(900u, dump.slot(24).time);
    EXPECT_EQ(24, dump.store->startIndex);
    EXPECT_EQ(400u, dump.store->earliestTime);
}

TEST(LogDump, EarliestRecordRules) {
    struct Line {
        int32_t index;
        std::vector<std::optional<RawRecord>> records;
    };
    struct Row {
        const char* name;
        std::vector<Line> lines;
        int32_t expectStart;
        uint32_t expectEarliest;
    };
    const Row rows[] = {
        {"time FFFFFFFF never becomes the start", {{0, {at(0xFFFFFFFFu)}}}, -1, 0xFFFFFFFFu},
        {"time 0 becomes the start", {{0, {at(5), at(0)}}}, 1, 0},
        {"a second time 0 does not move it", {{0, {at(0), at(0)}}, {1, {at(0)}}}, 0, 0},
        {"equal times: the first decoded wins, not the lower slot",
         {{9, {at(77)}}, {2, {at(77)}}},
         54,
         77},
        {"only records without position", {{0, {at(1, 0), at(2, 1), at(3, 7)}}}, -1, 0xFFFFFFFFu},
        {"wrapped ring: the last line holds the earliest time",
         {{0, {at(2000), at(2001)}}, {1, {at(2002)}}, {1365, {at(1000), at(1001)}}},
         8190,
         1000},
        {"a record without position does not count", {{0, {at(0, 1), at(3)}}}, 1, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Dump dump;
        for (const Line& line : row.lines)
            dump.feed(dataLine(line.index, line.records));
        EXPECT_EQ(row.expectStart, dump.store->startIndex);
        EXPECT_EQ(row.expectEarliest, dump.store->earliestTime);
    }
}

TEST(LogDump, SentenceTypesAndResults) {
    struct Row {
        const char* name;
        std::string sentence;
        bool expectResult;
        std::vector<intptr_t> expectReports;
    };
    const Row rows[] = {
        {"start posts 0", text(dumpStartSentence(10)), true, {0}},
        {"end ends the dump", text(dumpEndSentence()), false, {}},
        {"unknown type is passed over", text(withChecksum("PMTKLOX,3,5")), true, {}},
        {"missing type reads as start", "$PMTKLOX*00", true, {0}},
        {"data line out of range posts nothing", dataLine(5000, {at(1)}), true, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Dump dump;
        EXPECT_EQ(row.expectResult, dump.feed(row.sentence));
        EXPECT_EQ(row.expectReports, dump.percentages());
    }
}

TEST(LogDump, ProgressSequences) {
    struct Row {
        const char* name;
        std::optional<int32_t> announced; // no start sentence when empty
        std::vector<int32_t> lines;
        std::vector<intptr_t> expectReports;
        int32_t expectNextLine;
    };
    const Row rows[] = {
        {"lines 0, 1, 3, 4: a skip posts nothing, the next in order does",
         5,
         {0, 1, 3, 4},
         {0, 25, 100},
         5},
        {"a repeated line posts nothing", 5, {0, 1, 1, 2}, {0, 25, 50}, 3},
        {"a line behind the expected one posts nothing", 5, {0, 2, 1}, {0}, 2},
        {"an in-order line below the last percentage posts nothing",
         5,
         {0, 1, 2, 3, 1, 2},
         {0, 25, 50, 75},
         3},
        {"two announced lines", 2, {0, 1}, {0, 100}, 2},
        // Fewer than two announced lines leave no span to divide by: an
        // in-order line then reports the dump as complete.
        {"one announced line", 1, {0, 1}, {0, 100}, 2},
        {"zero announced lines", 0, {0}, {0, 100}, 1},
        {"negative announced lines", -4, {0, 1}, {0, 100}, 2},
        {"data without a start sentence", std::nullopt, {0, 1}, {100}, 2},
        {"lines past the announced count go past 100", 3, {0, 1, 2, 3}, {0, 50, 100, 150}, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Dump dump;
        dump.feedLines(row.announced, row.lines);
        EXPECT_EQ(row.expectReports, dump.percentages());
        EXPECT_EQ(row.expectNextLine, dump.progress.expectedLine);
        for (int32_t line : row.lines)
            EXPECT_EQ(static_cast<uint32_t>(line + 1), dump.slot(line * 6).time) << "line " << line;
    }
}

TEST(LogDump, CompletenessOfTheRunsDump) {
    struct Row {
        const char* name;
        std::optional<int32_t> announced; // no start sentence when empty
        std::vector<int32_t> lines;
        bool end;
        bool expectComplete;
        int32_t expectMissing;
    };
    const Row rows[] = {
        {"every line in any order, repeats too", 3, {2, 0, 1, 1}, true, true, 0},
        {"an empty log", 0, {}, true, true, 0},
        {"a line missing", 3, {0, 2}, true, false, 1},
        {"a line behind the count fills no gap", 2, {0, 5}, true, false, 1},
        {"no end sentence", 2, {0, 1}, false, false, 0},
        {"no start sentence", std::nullopt, {0, 1}, true, false, 0},
        {"more lines than the store holds", 1367, {}, true, false, 1367},
        {"a negative count", -1, {}, true, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Dump dump;
        dump.feedLines(row.announced, row.lines);
        if (row.end)
            dump.feed(text(dumpEndSentence()));
        EXPECT_EQ(row.expectComplete, dump.completeness.isComplete());
        EXPECT_EQ(!row.expectComplete, dump.completeness.isDamaged());
        EXPECT_EQ(row.expectMissing, dump.completeness.missingLines());
    }
}

TEST(LogDump, EightySixLinesReach49AtLine42And100AtLine85) {
    Dump dump;
    dump.feed(text(dumpStartSentence(86)));
    for (int32_t line = 0; line < 42; ++line)
        dump.feed(dataLine(line, {}));
    dump.percentages();
    dump.feed(dataLine(42, {}));
    EXPECT_EQ(std::vector<intptr_t>{49}, dump.percentages());
    for (int32_t line = 43; line < 85; ++line)
        dump.feed(dataLine(line, {}));
    const std::vector<intptr_t> middle = dump.percentages();
    ASSERT_FALSE(middle.empty());
    EXPECT_EQ(98, middle.back());
    dump.feed(dataLine(85, {}));
    EXPECT_EQ(std::vector<intptr_t>{100}, dump.percentages());
}

TEST(LogDump, StartSentenceResetsProgressOnly) {
    Dump dump;
    dump.feed(text(dumpStartSentence(3)));
    dump.feed(dataLine(0, {at(9)}));
    dump.feed(dataLine(1, {}));
    dump.feed(dataLine(2, {}));
    EXPECT_FALSE(dump.feed(text(dumpEndSentence())));
    EXPECT_EQ((std::vector<intptr_t>{0, 50, 100}), dump.percentages());

    dump.feed(text(dumpStartSentence(5)));
    EXPECT_EQ(0, dump.progress.expectedLine);
    EXPECT_EQ(5, dump.progress.announcedLines);
    EXPECT_EQ(0u, dump.progress.lastPercent);
    dump.feed(dataLine(0, {}));
    dump.feed(dataLine(1, {}));
    EXPECT_EQ((std::vector<intptr_t>{0, 25}), dump.percentages());
    EXPECT_EQ(9u, dump.slot(0).time) << "the store is the worker's to clear";
}

} // namespace
