#include "output/nmea_writer.h"

#include "support/memory_sink.h"
#include "support/track_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr uint32_t kExampleTime = 1241181296; // 2009-05-01 12:34:56

std::string nmeaOf(const TrackStore& store) {
    MemorySink sink;
    EXPECT_TRUE(writeNmeaTrack(store, sink));
    return sink.text();
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t begin = 0;
    for (size_t end; (end = text.find("\r\n", begin)) != std::string::npos; begin = end + 2) {
        lines.push_back(text.substr(begin, end - begin));
    }
    return lines;
}

std::vector<std::string> fieldsOf(const std::string& sentence) {
    std::vector<std::string> fields;
    std::istringstream in(sentence.substr(0, sentence.find('*')));
    for (std::string field; std::getline(in, field, ',');) {
        fields.push_back(field);
    }
    return fields;
}

// Fields 2 to 5 of $GPGGA or 3 to 6 of $GPRMC: "ddmm.mmmm,N,dddmm.mmmm,E".
std::string coordinatesOf(const std::string& sentence) {
    const std::vector<std::string> f = fieldsOf(sentence);
    const size_t first = f[0] == "$GPRMC" ? 3 : 2;
    return f.at(first) + "," + f.at(first + 1) + "," + f.at(first + 2) + "," + f.at(first + 3);
}

TEST(NmeaWriter, WorkedExampleComesOutByteForByte) {
    const TrackStore store =
        makeStore(0, {{0, trackRecord(kExampleTime, 48.1173f, 11.516667f, 545)}});
    const std::string difference =
        differenceFromTestData("nmea_worked_example.nmea", nmeaOf(store));
    EXPECT_TRUE(difference.empty()) << difference;
}

TEST(NmeaWriter, CoordinateTexts) {
    struct Case {
        const char* name;
        float latitude;
        float longitude;
        const char* expected; // both sentences' coordinates, or "" when skipped
    };
    const Case cases[] = {
        {"southern latitude", -33.8688f, 0.0f, "3352.1281,S,00000.0000,E"},
        {"western longitude", 0.0f, -70.6693f, "0000.0000,N,07040.1578,W"},
        {"half a degree", 5.5f, 5.5f, "0530.0000,N,00530.0000,E"},
        {"latitude 90", 90.0f, 0.0f, "9000.0000,N,00000.0000,E"},
        {"latitude -90", -90.0f, 0.0f, "9000.0000,S,00000.0000,E"},
        {"latitude 90.5 skipped", 90.5f, 0.0f, ""},
        {"longitude 180 stays east", 0.0f, 180.0f, "0000.0000,N,18000.0000,E"},
        {"longitude -180", 0.0f, -180.0f, "0000.0000,N,18000.0000,W"},
        {"longitude -180.5 skipped", 0.0f, -180.5f, ""},
        {"longitude 200.25 read as west", 0.0f, 200.25f, "0000.0000,N,15945.0000,W"},
        {"longitude 540 read as 180", 0.0f, 540.0f, "0000.0000,N,18000.0000,E"},
        {"longitude 540.5 skipped", 0.0f, 540.5f, ""},
        {"tiny southern latitude keeps its S", -0.00001f, 0.0f, "0000.0006,S,00000.0000,E"},
        {"negative zero is north and east", -0.0f, -0.0f, "0000.0000,N,00000.0000,E"},
        {"largest longitude", 0.0f, 179.99998f, "0000.0000,N,17959.9991,E"},
        {"minutes carried into degree 1", std::nextafter(1.0f, 0.0f), 0.0f,
         "0100.0000,N,00000.0000,E"},
        {"minutes carried into degree 5 south", -std::nextafter(5.0f, 0.0f), 0.0f,
         "0500.0000,S,00000.0000,E"},
        {"minutes carried into longitude 8 west", 0.0f, -std::nextafter(8.0f, 0.0f),
         "0000.0000,N,00800.0000,W"},
        {"no carry just below 9", std::nextafter(9.0f, 0.0f), 0.0f, "0859.9999,N,00000.0000,E"},
        {"latitude not a number skipped", kNaN, 0.0f, ""},
        {"longitude not a number skipped", 0.0f, kNaN, ""},
        {"infinite latitude skipped", -kInfinity, 0.0f, ""},
        {"infinite longitude skipped", 0.0f, kInfinity, ""},
    };
    for (const Case& c : cases) {
        const TrackStore store =
            makeStore(0, {{0, trackRecord(kExampleTime, c.latitude, c.longitude)}});
        const std::vector<std::string> lines = splitLines(nmeaOf(store));
        if (c.expected[0] == 0) {
            EXPECT_TRUE(lines.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(lines.size(), 2u) << c.name;
        EXPECT_EQ(coordinatesOf(lines[0]), c.expected) << c.name << " in " << lines[0];
        EXPECT_EQ(coordinatesOf(lines[1]), c.expected) << c.name << " in " << lines[1];
    }
}

TEST(NmeaWriter, WhichRecordsAreWritten) {
    struct Case {
        const char* name;
        int16_t height;
        uint16_t fix;
        const char* expectedAltitude; // "" when the record gives no lines
    };
    const Case cases[] = {
        {"fix 0 skipped", 500, 0, ""},
        {"fix 1 skipped", 500, 1, ""},
        {"fix 2 written", 500, 2, "500.0"},
        {"fix 4 written", 500, 4, "500.0"},
        {"only the low four bits of fix count", 500, 0x13, "500.0"},
        {"high bits do not make fix 1 usable", 500, 0x11, ""},
        {"height -450 skipped", -450, 3, ""},
        {"height -449 written", -449, 3, "-449.0"},
        {"largest height", 32767, 3, "32767.0"},
    };
    for (const Case& c : cases) {
        const TrackStore store =
            makeStore(0, {{0, trackRecord(kExampleTime, 48.0f, 11.0f, c.height, c.fix)}});
        const std::vector<std::string> lines = splitLines(nmeaOf(store));
        if (c.expectedAltitude[0] == 0) {
            EXPECT_TRUE(lines.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(lines.size(), 2u) << c.name;
        EXPECT_EQ(fieldsOf(lines[0]).at(9), c.expectedAltitude) << c.name;
    }
}

TEST(NmeaWriter, TimeAndDateFields) {
    struct Case {
        const char* name;
        uint32_t time;
        const char* expectedTime;
        const char* expectedDate;
    };
    const Case cases[] = {
        {"time 0", 0, "000000.000", "010170"},
        {"leap day", 951825600, "120000.000", "290200"},
        {"last signed second", 2147483647u, "031407.000", "190138"},
        {"first second past the signed range", 2147483648u, "031408.000", "190138"},
        {"2100 has no leap day", 4107542400u, "000000.000", "010300"},
        {"largest record time", 4294967295u, "062815.000", "070206"},
    };
    for (const Case& c : cases) {
        const TrackStore store = makeStore(0, {{0, trackRecord(c.time, 48.0f, 11.0f)}});
        const std::vector<std::string> lines = splitLines(nmeaOf(store));
        ASSERT_EQ(lines.size(), 2u) << c.name;
        EXPECT_EQ(fieldsOf(lines[0]).at(1), c.expectedTime) << c.name;
        EXPECT_EQ(fieldsOf(lines[1]).at(1), c.expectedTime) << c.name;
        EXPECT_EQ(fieldsOf(lines[1]).at(9), c.expectedDate) << c.name;
    }
}

TEST(NmeaWriter, WalksTheRingFromTheEarliestSlot) {
    const TrackStore store =
        makeStore(TrackStore::kSlots - 2, {{0, trackRecord(3, 1.0f, 1.0f)},
                                           {1, trackRecord(4, 1.0f, 1.0f)},
                                           {TrackStore::kSlots - 3, trackRecord(5, 1.0f, 1.0f)},
                                           {TrackStore::kSlots - 2, trackRecord(1, 1.0f, 1.0f)},
                                           {TrackStore::kSlots - 1, trackRecord(2, 1.0f, 1.0f)}});
    std::string times;
    for (const std::string& line : splitLines(nmeaOf(store))) {
        times += fieldsOf(line).at(0) + "@" + fieldsOf(line).at(1).substr(4, 2) + " ";
    }
    EXPECT_EQ(times, "$GPGGA@01 $GPRMC@01 $GPGGA@02 $GPRMC@02 $GPGGA@03 $GPRMC@03 "
                     "$GPGGA@04 $GPRMC@04 $GPGGA@05 $GPRMC@05 ");
}

TEST(NmeaWriter, EveryLineCarriesItsOwnChecksumAndWriteCall) {
    const TrackStore store = makeStore(0, {{0, trackRecord(kExampleTime, -12.5f, -45.25f, -3)},
                                           {1, trackRecord(kExampleTime + 1, 60.125f, 200.5f, 9)}});
    MemorySink sink;
    ASSERT_TRUE(writeNmeaTrack(store, sink));
    const std::vector<std::string> lines = splitLines(sink.text());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(sink.writeCalls(), 4u);
    for (const std::string& line : lines) {
        const size_t star = line.find('*');
        ASSERT_NE(star, std::string::npos) << line;
        unsigned checksum = 0;
        for (size_t i = 1; i < star; ++i) {
            checksum ^= static_cast<unsigned char>(line[i]);
        }
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", checksum);
        EXPECT_EQ(line.substr(star + 1), digits) << line;
    }
}

TEST(NmeaWriter, NoQualifyingRecordGivesAnEmptyFile) {
    const TrackStore store = makeStore(0, {{0, trackRecord(kExampleTime, 95.0f, 0.0f)},
                                           {1, trackRecord(kExampleTime, 1.0f, 1.0f, -450)}});
    MemorySink sink;
    EXPECT_TRUE(writeNmeaTrack(store, sink));
    EXPECT_EQ(sink.text(), "");
    EXPECT_EQ(sink.writeCalls(), 0u);
}

TEST(NmeaChecksum, CompletesTheSentenceInPlace) {
    struct Case {
        const char* name;
        const char* sentence;
        const char* expected;
    };
    const Case cases[] = {
        {"worked $GPGGA", "$GPGGA,123456.000,4807.0379,N,01131.0000,E,1,,,545.0,M,,,,*",
         "$GPGGA,123456.000,4807.0379,N,01131.0000,E,1,,,545.0,M,,,,*26\r\n"},
        {"letters are upper-case", "$GPRMC,123456.000,A,4807.0379,N,01131.0000,E,,,010509,,*",
         "$GPRMC,123456.000,A,4807.0379,N,01131.0000,E,,,010509,,*0D\r\n"},
        {"nothing between $ and * gives 00", "$*", "$*00\r\n"},
        {"a single character is its own checksum", "$A*", "$A*41\r\n"},
        {"the command the program sends", "$PZOR,V*", "$PZOR,V*6D\r\n"},
    };
    for (const Case& c : cases) {
        char buffer[96];
        std::snprintf(buffer, sizeof buffer, "%s", c.sentence);
        const int32_t length = appendChecksum(buffer);
        EXPECT_EQ(std::string(buffer), c.expected) << c.name;
        EXPECT_EQ(length, static_cast<int32_t>(std::string(c.expected).size())) << c.name;
    }
}

// A full disk: the writer stops at the refused sentence, returns false and
// makes no further write call; what landed are the whole sentences before it.
TEST(NmeaWriter, StopsAtTheFirstFailedWrite) {
    const TrackStore store =
        makeStore(0, {{0, trackRecord(kExampleTime, 48.1173f, 11.516667f, 545)},
                      {1, trackRecord(kExampleTime + 1, 48.2f, 11.6f, 546)}});
    const std::string full = nmeaOf(store);
    const std::vector<std::string> lines = splitLines(full);
    ASSERT_EQ(lines.size(), 4u);
    const size_t first = lines[0].size() + 2;
    const size_t second = first + lines[1].size() + 2;
    struct Case {
        const char* name;
        uint64_t limit;
        size_t expectedBytes;
    };
    const Case cases[] = {
        {"nothing fits", 0, 0},
        {"first sentence short by one byte", first - 1, 0},
        {"first sentence only", first, first},
        {"inside the second sentence", first + 10, first},
        {"first record, then refused", second, second},
        {"one byte short of the end", full.size() - 1, second + lines[2].size() + 2},
    };
    for (const Case& c : cases) {
        MemorySink sink(c.limit);
        EXPECT_FALSE(writeNmeaTrack(store, sink)) << c.name;
        EXPECT_EQ(sink.text(), full.substr(0, c.expectedBytes)) << c.name;
        EXPECT_EQ(sink.callsAfterRefusal(), 0u) << c.name;
    }
}

} // namespace
