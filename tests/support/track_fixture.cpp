#include "support/track_fixture.h"

#include "support/temp_folder.h"

#include <algorithm>

LogRecord trackRecord(uint32_t time, float latitude, float longitude, int16_t height,
                      uint16_t fix) {
    return LogRecord{time, latitude, longitude, height, fix};
}

TrackStore makeStore(int32_t startIndex, std::initializer_list<PlacedRecord> records) {
    TrackStore store;
    store.clear();
    for (const PlacedRecord& placed : records) {
        store.records[static_cast<size_t>(placed.slot)] = placed.record;
    }
    store.startIndex = startIndex;
    store.earliestTime = store.records[static_cast<size_t>(startIndex)].time;
    return store;
}

namespace {

// The line holding `offset`, its CR LF shown escaped.
std::string lineAround(const std::string& text, size_t offset) {
    const size_t begin = offset == 0 ? 0 : text.rfind('\n', offset - 1) + 1;
    size_t end = text.find('\n', offset);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line;
    for (size_t i = begin; i < end && i < text.size(); ++i) {
        line += text[i] == '\r'   ? std::string("\\r")
                : text[i] == '\n' ? "\\n"
                                  : std::string(1, text[i]);
    }
    return line.empty() ? "(end of text)" : line;
}

} // namespace

std::string differenceFromTestData(const std::string& name, const std::string& actual) {
    const std::string expected = readFile(std::filesystem::path(ZOR_TEST_DATA_DIR) / name);
    if (expected.empty()) {
        return "tests/data/" + name + " is missing or empty";
    }
    size_t offset = 0;
    while (offset < expected.size() && offset < actual.size() &&
           expected[offset] == actual[offset]) {
        ++offset;
    }
    if (offset == expected.size() && offset == actual.size()) {
        return {};
    }
    const size_t line = static_cast<size_t>(std::count(
                            expected.begin(), expected.begin() + static_cast<long>(offset), '\n')) +
                        1;
    return "line " + std::to_string(line) + " (byte " + std::to_string(offset) +
           ")\n  expected: " + lineAround(expected, offset) +
           "\n  actual:   " + lineAround(actual, offset);
}
