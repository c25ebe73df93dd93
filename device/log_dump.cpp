#include "device/log_dump.h"

#include "device/sentence_assembler.h"

#include <algorithm>
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
                    DumpCompleteness& completeness, int32_t& percentToReport, FlashImage* flash) {
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
    decodeLogLine(lineIndex, sentence, store, flash);
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

// A field of the layout as an unsigned number of `count` bytes; 0 when
// the layout holds no such field.
uint32_t fieldValue(const uint8_t* bytes, const RecordLayout& layout, ContentBit field,
                    int32_t count) {
    const int32_t at = layout.at(field);
    return at < 0 ? 0 : littleEndian(bytes + at, count);
}

// Satellites, HDOP, speed and heading where the layout holds them.
void decodeExtras(const uint8_t* bytes, const RecordLayout& layout, LogRecord& record) {
    struct Extra {
        ContentBit field;
        RecordExtra flag;
    };
    constexpr Extra kExtras[] = {{kContentSpeed, kHasSpeed},
                                 {kContentHeading, kHasHeading},
                                 {kContentHdop, kHasHdop},
                                 {kContentSatellites, kHasSatellites}};
    record.extras = 0;
    for (const Extra& extra : kExtras)
        record.extras |= layout.at(extra.field) >= 0 ? extra.flag : 0;
    record.speed = static_cast<int16_t>(fieldValue(bytes, layout, kContentSpeed, 2));
    record.heading = static_cast<uint16_t>(fieldValue(bytes, layout, kContentHeading, 2));
    record.hdop = static_cast<uint16_t>(fieldValue(bytes, layout, kContentHdop, 2));
    record.satellites = static_cast<uint8_t>(fieldValue(bytes, layout, kContentSatellites, 1));
}

} // namespace

void FlashImage::put(int32_t lineIndex, const uint8_t* lineBytes, int32_t count) {
    std::copy_n(lineBytes, count, bytes.begin() + static_cast<long>(lineIndex) * kLineBytes);
    written.set(static_cast<size_t>(lineIndex));
}

void FlashImage::erase() {
    for (int32_t line = 0; line < kLogLines; ++line) {
        if (written.test(static_cast<size_t>(line)))
            std::fill_n(bytes.begin() + static_cast<long>(line) * kLineBytes, kLineBytes, 0xFF);
    }
    written.reset();
}

void decodeRecord(const uint8_t* bytes, const RecordLayout& layout, int32_t slot,
                  TrackStore& store) {
    if (recordChecksum(bytes, static_cast<size_t>(layout.size)) != 0)
        return;
    LogRecord& record = store.records[static_cast<size_t>(slot)];
    const uint32_t fix = fieldValue(bytes, layout, kContentFix, 1);
    record.fix = static_cast<uint16_t>(fix > kHighestFix ? 0 : fix);
    // Without a position the slot keeps what it held; only the fix changes.
    if (record.fix < kFirstPositionFix)
        return;
    record.time = fieldValue(bytes, layout, kContentTime, 4);
    record.latitude = littleEndianFloat(bytes + layout.at(kContentLatitude));
    record.longitude = littleEndianFloat(bytes + layout.at(kContentLongitude));
    record.height = static_cast<int16_t>(fieldValue(bytes, layout, kContentHeight, 2));
    decodeExtras(bytes, layout, record);
    // Equal times leave the start where it is: the first one decoded wins.
    if (record.time < store.earliestTime) {
        store.earliestTime = record.time;
        store.startIndex = slot;
    }
}

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
                       DumpCompleteness& completeness, int32_t& percent, FlashImage* flash) {
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
        handleDataLine(sentence, store, progress, completeness, percent, flash);
        return true;
    case kDumpEnd:
        completeness.endSeen = true;
        return false;
    default:
        return true;
    }
}

void decodeLogLine(int32_t lineIndex, const char* sentence, TrackStore& store, FlashImage* flash) {
    std::array<uint32_t, kWordsPerLine> words;
    const int32_t wordCount = readWords(sentence, words);
    std::array<uint8_t, kLineBytes> bytes;
    for (int32_t w = 0; w < wordCount; ++w) {
        for (int32_t b = 0; b < 4; ++b)
            bytes[static_cast<size_t>(w * 4 + b)] =
                static_cast<uint8_t>(words[static_cast<size_t>(w)] >> (24 - 8 * b));
    }
    if (flash != nullptr)
        flash->put(lineIndex, bytes.data(), wordCount * 4);
    // A full flash ends with a short line, so every record whose four words
    // all arrived is decoded, not only those of full 24-word lines.
    constexpr RecordLayout kLayout = recordLayout(kBasicContent);
    for (int32_t k = 0; k < wordCount / kWordsPerRecord; ++k) {
        decodeRecord(bytes.data() + k * kRecordBytes, kLayout,
                     lineIndex * TrackStore::kRecordsPerLine + k, store);
    }
}
