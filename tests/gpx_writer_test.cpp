// The GPX writer's cases that no dump can hold; the rest is the capture
// corpus (tests/data/captures).
#include "output/gpx_writer.h"

#include "support/memory_sink.h"
#include "support/track_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

const TrackStore kThreePoints = makeStore(
    0, {{0, trackRecord(100, 1, 1)}, {1, trackRecord(110, 2, 2)}, {2, trackRecord(1000, 3, 3)}});

std::string gpxOf(const TrackStore& store) {
    MemorySink sink;
    EXPECT_TRUE(writeGpxTrack(store, sink));
    return sink.text();
}

TEST(GpxWriter, PointsThatNoDumpCanHold) {
    struct Case {
        const char* name;
        TrackStore store;
        std::string expectedPoint; // the one point line written
    };
    const Case cases[] = {
        {"coordinates that are not numbers are left out",
         makeStore(0, {{0, trackRecord(100, kNaN, 2)},
                       {1, trackRecord(110, 3, -kInfinity)},
                       {2, trackRecord(120, 4, 5)}}),
         "<trkpt lat=\"4.000000\" lon=\"5.000000\"><ele>500</ele><time>1970-01-01T00:02:00Z</time>"
         "<fix>3d</fix></trkpt>"},
        {"a fix the device never logs is written without a name",
         makeStore(0, {{0, trackRecord(100, 1, 2, -7, 9)}}),
         "<trkpt lat=\"1.000000\" lon=\"2.000000\"><ele>-7</ele><time>1970-01-01T00:01:40Z</time>"
         "</trkpt>"},
    };
    for (const Case& c : cases) {
        const std::string gpx = gpxOf(c.store);
        const size_t begin = gpx.find("<trkpt");
        const size_t end = gpx.rfind("</trkpt>\r\n");
        ASSERT_NE(end, std::string::npos) << c.name;
        EXPECT_EQ(gpx.substr(begin, end + 10 - begin), c.expectedPoint + "\r\n") << c.name;
    }
}

// A full disk: the writer stops at the refused line and returns false, with
// no further write call; the whole lines before it are what landed, which
// also shows that every line is one write.
TEST(GpxWriter, StopsAtTheFirstFailedWrite) {
    const std::string full = gpxOf(kThreePoints);
    const size_t afterFirstPoint = full.find("</trkpt>\r\n") + 10;
    const uint64_t limits[] = {0, 100, afterFirstPoint, afterFirstPoint + 5, full.size() - 1};
    for (const uint64_t limit : limits) {
        MemorySink sink(limit);
        EXPECT_FALSE(writeGpxTrack(kThreePoints, sink)) << limit;
        const size_t lastLineEnd = limit == 0 ? std::string::npos : full.rfind('\n', limit - 1);
        EXPECT_EQ(sink.text(),
                  full.substr(0, lastLineEnd == std::string::npos ? 0 : lastLineEnd + 1))
            << limit;
        EXPECT_EQ(sink.callsAfterRefusal(), 0u) << limit;
    }
}

} // namespace
