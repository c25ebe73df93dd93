#include "output/kml_writer.h"

#include "output/line_writer.h"
#include "support/memory_sink.h"
#include "support/track_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr int32_t kLastSlot = TrackStore::kSlots - 1;

std::string kmlOf(const TrackStore& store) {
    MemorySink sink;
    EXPECT_TRUE(writeKmlTrack(store, sink));
    return sink.text();
}

std::string between(const std::string& line, const std::string& open, const std::string& close) {
    const size_t begin = line.find(open);
    const size_t end = line.find(close);
    if (begin == std::string::npos || end == std::string::npos) {
        return {};
    }
    return line.substr(begin + open.size(), end - begin - open.size());
}

// "1.000000" reads "1": keeps the outlines of the table short.
std::string shortNumbers(std::string text) {
    for (size_t at; (at = text.find(".000000")) != std::string::npos;) {
        text.erase(at, 7);
    }
    return text;
}

// The part of a document the track rules decide, one token per item:
// "start lon,lat", "[HH:MM:SS lineStyleN]" per segment (the time of its
// name), "lon,lat,height" per point, "stop lon,lat".
std::string outlineOf(const std::string& kml) {
    std::string outline;
    std::string placemark;
    size_t begin = 0;
    for (size_t end; (end = kml.find("\r\n", begin)) != std::string::npos; begin = end + 2) {
        const std::string line = kml.substr(begin, end - begin);
        const std::string name = between(line, "<name>", "</name>");
        const std::string style = between(line, "<styleUrl>#", "</styleUrl>");
        const std::string point = between(line, "<coordinates>", ",0</coordinates>");
        std::string token;
        if (line.find("<Placemark>") != std::string::npos) {
            placemark.clear();
        } else if (!name.empty()) {
            placemark = name;
        } else if (style.rfind("lineStyle", 0) == 0) {
            token = "[" + placemark.substr(placemark.find(' ') + 1) + " " + style + "]";
        } else if (!point.empty()) {
            token = (placemark == "Start" ? "start " : "stop ") + point;
        } else if (line.rfind("          ", 0) == 0 && line.find('<') == std::string::npos) {
            token = line.substr(10);
        }
        if (!token.empty()) {
            outline += (outline.empty() ? "" : " ") + shortNumbers(token);
        }
    }
    return outline;
}

TEST(KmlWriter, WorkedExampleComesOutByteForByte) {
    const TrackStore store = makeStore(0, {{0, trackRecord(1241179200, 48.1173f, 11.516667f, 545)},
                                           {1, trackRecord(1241179440, 48.118f, 11.517f, 550)},
                                           {2, trackRecord(1241180400, 48.13f, 11.54f, 560)}});
    const std::string difference = differenceFromTestData("kml_worked_example.kml", kmlOf(store));
    EXPECT_TRUE(difference.empty()) << difference;
}

TEST(KmlWriter, TrackRules) {
    struct Case {
        const char* name;
        TrackStore store;
        const char* expected;
    };
    // Static: a table of whole logs outgrows a Windows thread's stack.
    static const Case cases[] = {
        {"300 s apart stay in one segment",
         makeStore(0, {{0, trackRecord(1000, 1, 2)},
                       {1, trackRecord(1300, 3, 4)},
                       {2, trackRecord(1600, 5, 6)}}),
         "start 2,1 [00:16:40 lineStyle0] 2,1,500 4,3,500 6,5,500 stop 6,5"},
        {"301 s apart start a new segment",
         makeStore(0, {{0, trackRecord(1000, 1, 2)}, {1, trackRecord(1301, 3, 4)}}),
         "start 2,1 [00:16:40 lineStyle0] 2,1,500 [00:21:41 lineStyle1] 4,3,500 stop 4,3"},
        {"an earlier time starts a new segment",
         makeStore(0, {{0, trackRecord(2000, 1, 2)}, {1, trackRecord(1999, 3, 4)}}),
         "start 2,1 [00:33:20 lineStyle0] 2,1,500 [00:33:19 lineStyle1] 4,3,500 stop 4,3"},
        {"styles rotate past six",
         makeStore(0, {{0, trackRecord(0, 0, 0)},
                       {1, trackRecord(1000, 1, 1)},
                       {2, trackRecord(2000, 2, 2)},
                       {3, trackRecord(3000, 3, 3)},
                       {4, trackRecord(4000, 4, 4)},
                       {5, trackRecord(5000, 5, 5)},
                       {6, trackRecord(6000, 6, 6)},
                       {7, trackRecord(7000, 7, 7)}}),
         // A first point at time 0 counts as no predecessor: 1000 s later
         // still joins its segment.
         "start 0,0 [00:00:00 lineStyle0] 0,0,500 1,1,500 [00:33:20 lineStyle1] 2,2,500 "
         "[00:50:00 lineStyle2] 3,3,500 [01:06:40 lineStyle3] 4,4,500 [01:23:20 lineStyle4] "
         "5,5,500 [01:40:00 lineStyle5] 6,6,500 [01:56:40 lineStyle0] 7,7,500 stop 7,7"},
        {"a wrapped ring runs from the earliest slot round to the one before it",
         makeStore(kLastSlot - 1, {{kLastSlot - 2, trackRecord(150, 9, 9)},
                                   {kLastSlot - 1, trackRecord(100, 1, 1)},
                                   {kLastSlot, trackRecord(110, 2, 2)},
                                   {0, trackRecord(120, 3, 3)},
                                   {1, trackRecord(130, 4, 4)}}),
         "start 1,1 [00:01:40 lineStyle0] 1,1,500 2,2,500 3,3,500 4,4,500 9,9,500 stop 9,9"},
        {"fix 1 and height -450 are left out, height -449 is kept",
         makeStore(0, {{0, trackRecord(100, 1, 1)},
                       {1, trackRecord(110, 2, 2, 500, 1)},
                       {2, trackRecord(120, 3, 3, -450)},
                       {3, trackRecord(130, 4, 4, -449)}}),
         "start 1,1 [00:01:40 lineStyle0] 1,1,500 4,4,-449 stop 4,4"},
        {"an unusable first record still names the segment and marks the start",
         makeStore(0, {{0, trackRecord(100, 1, 1, -450)}, {1, trackRecord(200, 2, 2)}}),
         "start 1,1 [00:01:40 lineStyle0] 2,2,500 stop 2,2"},
        {"southern and western positions carry a minus sign",
         makeStore(0, {{0, trackRecord(100, -33.8688f, -70.6693f, -12)}}),
         "start -70.669296,-33.868801 [00:01:40 lineStyle0] -70.669296,-33.868801,-12 "
         "stop -70.669296,-33.868801"},
        {"positions that are not numbers are skipped like unusable records",
         makeStore(0, {{0, trackRecord(100, 1, 1)},
                       {1, trackRecord(110, kNaN, 2)},
                       {2, trackRecord(120, 3, -kInfinity)},
                       {3, trackRecord(130, 4, 4)},
                       {4, trackRecord(140, kInfinity, kNaN)}}),
         "start 1,1 [00:01:40 lineStyle0] 1,1,500 4,4,500 stop 4,4"},
        {"a first record that is not a number gives way to the first point",
         makeStore(0, {{0, trackRecord(100, kNaN, 1)},
                       {1, trackRecord(110, 1, 5, -450)},
                       {2, trackRecord(120, 2, 2)},
                       {3, trackRecord(130, 3, 3)}}),
         "start 2,2 [00:01:40 lineStyle0] 2,2,500 3,3,500 stop 3,3"},
        {"no usable record: an empty segment and the stop at the start",
         makeStore(0, {{0, trackRecord(100, 1, 2, -450)}, {1, trackRecord(110, 3, 4, 0, 1)}}),
         "start 2,1 [00:01:40 lineStyle0] stop 2,1"},
        {"nothing finite at all: start and stop at 0,0",
         makeStore(0, {{0, trackRecord(100, kNaN, kNaN)}, {1, trackRecord(110, 3, kInfinity)}}),
         "start 0,0 [00:01:40 lineStyle0] stop 0,0"},
    };
    for (const Case& c : cases) {
        const std::string kml = kmlOf(c.store);
        EXPECT_EQ(outlineOf(kml), c.expected) << c.name;
        EXPECT_EQ(kml.find("nan"), std::string::npos) << c.name;
        EXPECT_EQ(kml.find("inf"), std::string::npos) << c.name;
        EXPECT_EQ(kml.substr(kml.size() - 8), "</kml>\r\n") << c.name;
    }
}

TEST(KmlWriter, DocumentNameAndSegmentNamesAreTimeLabels) {
    struct Case {
        const char* name;
        uint32_t time;
        const char* expected;
    };
    const Case cases[] = {
        {"time 0", 0, "1970-01-01 00:00:00"},
        {"last signed second", 2147483647u, "2038-01-19 03:14:07"},
        {"first second past the signed range", 2147483648u, "2038-01-19 03:14:08"},
        {"largest record time", 4294967295u, "2106-02-07 06:28:15"},
    };
    for (const Case& c : cases) {
        const std::string kml = kmlOf(makeStore(0, {{0, trackRecord(c.time, 1, 1)}}));
        EXPECT_NE(kml.find("    <name>GPS-Track " + std::string(c.expected) + "</name>\r\n"),
                  std::string::npos)
            << c.name;
        EXPECT_NE(kml.find("      <name>" + std::string(c.expected) + "</name>\r\n"),
                  std::string::npos)
            << c.name;
    }
}

std::string narrow(const char16_t* text) {
    std::string result;
    for (; *text != 0; ++text) {
        result += static_cast<char>(*text);
    }
    return result;
}

TEST(KmlWriter, TwoTimeLabelsStayValidTogether) {
    const char16_t* first = timeLabel(0);
    const char16_t* second = timeLabel(4294967295u);
    EXPECT_EQ(narrow(first), "1970-01-01 00:00:00");
    EXPECT_EQ(narrow(second), "2106-02-07 06:28:15");
    const char16_t* third = timeLabel(2147483648u);
    EXPECT_EQ(third, first) << "the third label reuses the first buffer";
    EXPECT_EQ(narrow(third), "2038-01-19 03:14:08");
    EXPECT_EQ(narrow(second), "2106-02-07 06:28:15");
}

TEST(KmlWriter, WriteLineMakesOneCallPerLine) {
    struct Case {
        const char* name;
        const char* text;
        uint32_t expectedCalls;
        std::string expected;
    };
    const std::string longLine(300, 'x');
    const Case cases[] = {
        {"a plain line", "abc\r\n", 1, "abc\r\n"},
        {"a line of no characters is not written", "", 0, ""},
        {"an overlong line is cut to 255 bytes", longLine.c_str(), 1, longLine.substr(0, 255)},
    };
    for (const Case& c : cases) {
        MemorySink sink;
        EXPECT_TRUE(writeLine(sink, "%s", c.text)) << c.name;
        EXPECT_EQ(sink.writeCalls(), c.expectedCalls) << c.name;
        EXPECT_EQ(sink.text(), c.expected) << c.name;
    }
}

TEST(KmlWriter, EveryLineIsOneWriteCall) {
    const TrackStore store = makeStore(
        0,
        {{0, trackRecord(100, 1, 1)}, {1, trackRecord(110, 2, 2)}, {2, trackRecord(1000, 3, 3)}});
    MemorySink sink;
    ASSERT_TRUE(writeKmlTrack(store, sink));
    // 33 lines of header and footer, 11 per segment, one per point.
    EXPECT_EQ(sink.writeCalls(), 33u + 2 * 11 + 3);
    EXPECT_EQ(static_cast<uint32_t>(std::count(sink.text().begin(), sink.text().end(), '\n')),
              sink.writeCalls());
}

// A full disk: the writer stops at the refused line, returns false and makes
// no further write call (no closing lines); what landed are the whole lines
// before it.
TEST(KmlWriter, StopsAtTheFirstFailedWrite) {
    const TrackStore store = makeStore(
        0,
        {{0, trackRecord(100, 1, 1)}, {1, trackRecord(110, 2, 2)}, {2, trackRecord(1000, 3, 3)}});
    const std::string full = kmlOf(store);
    const size_t afterFirstPoint = full.find("1.000000,1.000000,500\r\n") + 23;
    struct Case {
        const char* name;
        uint64_t limit;
    };
    const Case cases[] = {
        {"nothing fits", 0},
        {"inside the header", 200},
        {"right after the first point", afterFirstPoint},
        {"inside the second point", afterFirstPoint + 5},
        {"one byte short of the end", full.size() - 1},
    };
    for (const Case& c : cases) {
        MemorySink sink(c.limit);
        EXPECT_FALSE(writeKmlTrack(store, sink)) << c.name;
        const size_t lastLineEnd = full.rfind('\n', c.limit == 0 ? 0 : c.limit - 1);
        const size_t expectedBytes =
            c.limit == 0 || lastLineEnd == std::string::npos ? 0 : lastLineEnd + 1;
        EXPECT_EQ(sink.text(), full.substr(0, expectedBytes)) << c.name;
        EXPECT_EQ(sink.callsAfterRefusal(), 0u) << c.name;
    }
}

} // namespace
