#include "output/kml_writer.h"
#include "output/nmea_writer.h"
#include "output/output_file.h"

#include "support/track_fixture.h"

#include <gtest/gtest.h>

namespace {

// /dev/full refuses every write as a full disk does: the real file reports
// it, and both writers give up with false.
TEST(OutputFilePosix, FullDiskFailsTheWriters) {
    const TrackStore store = makeStore(0, {{0, trackRecord(100, 1, 1)}});
    struct Case {
        const char* name;
        bool (*writeTrack)(const TrackStore&, ByteSink&);
    };
    const Case cases[] = {{"KML", writeKmlTrack}, {"NMEA", writeNmeaTrack}};
    for (const Case& c : cases) {
        OutputFile file;
        ASSERT_TRUE(file.create(CWStr(u"/dev/full"))) << c.name;
        EXPECT_FALSE(file.write("x", 1)) << c.name << ": a single byte";
        EXPECT_FALSE(c.writeTrack(store, file)) << c.name;
        file.close();
    }
}

} // namespace
