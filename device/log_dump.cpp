#include "device/log_dump.h"

#include "device/sentence_assembler.h"

#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

enum LogSentenceType { kDumpStart = 0, kDumpData = 1, kDumpEnd = 2 };

// The words follow the name, the type and the line index.
constexpr int32_t kFieldsBeforeWords = 3;
constexpr uint8_t kHighestFix = 4;
constexpr uint16_t kFirstPositionFix = 2;

// A field read the way atoi reads it (leading digits, 0 without any), held
// within 32 bits so that absurd counts stay absurd rather than wrapping.
int32_t integerField(const char* sentence, int32_t n) {
    char field[16];
    extractField(sentence, n, field);
    const long long value = std::strtoll(field, nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

// A start sentence announcing fewer than two lines leaves no span to divide
// by; the dump can then only be at its end, so an in-order line counts as 100.
uint32_t percentForLine(int32_t lineIndex, int32_t announcedLines) {
    if (announcedLines < 2)
        return 100;
    return static_cast<uint32_t>(lineIndex * 100 / (announcedLines - 1));
}

void handleDataLine(const char* sentence, TrackStore& store, DumpProgress& progress,
                    DumpCompleteness& completeness, int32_t& percentToReport) {
    const int32_t lineIndex = integerField(sentence, 2);
    if (lineIndex < 0 || lineIndex >= TrackStore::kLines)
        return;
    completeness.linesReceived.set(static_cast<size_t>(lineIndex));
    // Skipped, repeated or reordered lines post nothing but still count as
    // the place the dump has reached.
    if (lineIndex == progress.expectedLine) {
        const uint32_t percent = percentForLine(lineIndex, progress.announcedLines);
        if (percent > progress.lastPercent) {
            progress.lastPercent = percent;
            percentToReport = static_cast<int32_t>(percent);
        }
    }
    progress.expectedLine = lineIndex + 1;
    decodeLogLine(lineIndex, sentence, store);
}

// Reads a word as strtoul reads base 16, limited to 32 bits.
uint32_t readWord(const char*& p) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(p, &end, 16);
    p = end;
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
}

// Reads up to 24 comma-led words from behind the line index; returns how many.
// The words start at the third comma wherever it is, so a type written "01"
// shifts nothing.
int32_t readWords(const char* sentence, std::array<uint32_t, kWordsPerLine>& words) {
    const char* p = sentence;
    for (int32_t commas = 0; *p != 0 && *p != '*'; ++p) {
        if (*p == ',' && ++commas == kFieldsBeforeWords)
            break;
    }
    int32_t count = 0;
    while (*p == ',' && count < kWordsPerLine) {
        ++p;
        words[static_cast<size_t>(count++)] = readWord(p);
    }
    return count;
}

uint32_t littleEndian(const uint8_t* bytes, int32_t count) {
    uint32_t value = 0;
    for (int32_t i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

float littleEndianFloat(const uint8_t* bytes) {
    const uint32_t bits = littleEndian(bytes, 4);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void decodeRecord(const uint8_t* bytes, int32_t slot, TrackStore& store) {
    if (recordChecksum(bytes, kRecordBytes) != 0)
        return;
    LogRecord& record = store.records[static_cast<size_t>(slot)];
    const uint8_t fix = bytes[RecordField::kFix];
    record.fix = fix > kHighestFix ? 0 : fix;
    // Without a position the slot keeps what it held; only the fix changes.
    if (record.fix < kFirstPositionFix)
        return;
    record.time = littleEndian(bytes + RecordField::kTime, 4);
    record.latitude = littleEndianFloat(bytes + RecordField::kLatitude);
    record.longitude = littleEndianFloat(bytes + RecordField::kLongitude);
    record.height = static_cast<int16_t>(littleEndian(bytes + RecordField::kHeight, 2));
    // Equal times leave the start where it is: the first one decoded wins.
    if (record.time < store.earliestTime) {
        store.earliestTime = record.time;
        store.startIndex = slot;
    }
}

} // namespace

bool DumpCompleteness::isComplete() const {
    return startSeen && endSeen && announcedLines >= 0 && missingLines() == 0;
}

bool DumpCompleteness::isDamaged() const {
    const bool anyArrived = startSeen || endSeen || linesReceived.any();
    return anyArrived && !isComplete();
}

int32_t DumpCompleteness::missingLines() const {
    int32_t arrived = 0;
    for (int32_t line = 0; line < announcedLines && line < TrackStore::kLines; ++line)
        arrived += linesReceived.test(static_cast<size_t>(line)) ? 1 : 0;
    return announcedLines > arrived ? announcedLines - arrived : 0;
}

bool isLogSentence(const char* sentence) {
    return std::strncmp(sentence, "$PMTKLOX,", 9) == 0;
}

bool handleLogSentence(const char* sentence, TrackStore& store, DumpProgress& progress,
                       DumpCompleteness& completeness, int32_t& percent) {
    percent = -1;
    switch (integerField(sentence, 1)) {
    case kDumpStart:
        progress.announcedLines = integerField(sentence, 2);
        progress.expectedLine = 0;
        progress.lastPercent = 0;
        completeness.startSeen = true;
        completeness.announcedLines = progress.announcedLines;
        percent = 0;
        return true;
    case kDumpData:
        handleDataLine(sentence, store, progress, completeness, percent);
        return true;
    case kDumpEnd:
        completeness.endSeen = true;
        return false;
    default:
        return true;
    }
}

void decodeLogLine(int32_t lineIndex, const char* sentence, TrackStore& store) {
    std::array<uint32_t, kWordsPerLine> words;
    const int32_t wordCount = readWords(sentence, words);
    // A full flash ends with a 16-word line, so every record whose four words
    // all arrived is decoded, not only those of full 24-word lines.
    const int32_t records = wordCount / kWordsPerRecord;
    std::array<uint8_t, kRecordBytes> bytes;
    for (int32_t k = 0; k < records; ++k) {
        for (int32_t w = 0; w < kWordsPerRecord; ++w) {
            const uint32_t word = words[static_cast<size_t>(k * kWordsPerRecord + w)];
            for (int32_t b = 0; b < 4; ++b)
                bytes[static_cast<size_t>(w * 4 + b)] = static_cast<uint8_t>(word >> (24 - 8 * b));
        }
        decodeRecord(bytes.data(), lineIndex * TrackStore::kRecordsPerLine + k, store);
    }
}
