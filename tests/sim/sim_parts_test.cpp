// The simulator's pieces that decide what goes on the line.
#include "dump_plan.h"
#include "gpx_reader.h"
#include "record_list.h"
#include "log_source.h"
#include "module_flash.h"
#include "port_registration.h"
#include "sim_options.h"
#include "trip_generator.h"

#include "device/log_dump.h"
#include "support/fake_port_tree_posix.h"
#include "device/track_store.h"
#include "tools/common/log_encoder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

bool parse(std::vector<std::string> arguments, SimOptions& options, std::string& error) {
    arguments.insert(arguments.begin(), "zor7700-sim");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    return parseSimOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(SimParts, OptionsTakeTheirValues) {
    struct Row {
        const char* name;
        std::vector<std::string> arguments;
        bool (*holds)(const SimOptions& options);
    };
    const Row rows[] = {
        {"defaults",
         {},
         [](const SimOptions& o) {
             return o.portNumber == -1 && o.reply == VersionReply::FirstForm && o.chatter &&
                    !o.fast && o.logSource == LogSource::BuiltIn && !o.wine;
         }},
        {"port 0 and 255 are numbers",
         {"--port", "0", "--port", "255"},
         [](const SimOptions& o) { return o.portNumber == 255; }},
        {"late second form",
         {"--reply", "second", "--reply-delay", "1200"},
         [](const SimOptions& o) {
             return o.reply == VersionReply::SecondForm && o.replyDelayMs == 1200;
         }},
        {"generated log",
         {"--generate", "42"},
         [](const SimOptions& o) {
             return o.logSource == LogSource::Generated && o.generateRecords == 42;
         }},
        {"the last log option wins",
         {"--generate", "42", "--empty"},
         [](const SimOptions& o) { return o.logSource == LogSource::Empty; }},
        {"wine prefix turns Wine on",
         {"--wine-prefix", "/p"},
         [](const SimOptions& o) { return o.wine && o.winePrefix == "/p"; }},
        {"faults",
         {"--corrupt-every", "5", "--drop-line", "0", "--short-final-line"},
         [](const SimOptions& o) {
             return o.faults.corruptEvery == 5 && o.faults.dropLine == 0 &&
                    o.faults.shortFinalLine && o.faults.hangUpAfter == -1 &&
                    o.faults.silenceAfter == -1;
         }},
        {"a module with faults",
         {"--device", "locus", "--baud", "115200", "--content", "0x147F", "--ack", "184=none",
          "--ack", "622=2", "--refuse-rate"},
         [](const SimOptions& o) {
             const ModuleOptions& m = o.module;
             return o.device == DeviceKind::Locus && m.baud == 115200 && m.content == 0x147F &&
                    m.acknowledgementOf(184) == kNoAcknowledgement &&
                    m.acknowledgementOf(622) == 2 && m.acknowledgementOf(0) == 3 &&
                    m.acknowledgementOf(251) == kNoAcknowledgement && m.refuseRate;
         }},
    };
    for (const Row& row : rows) {
        SimOptions options;
        std::string error;
        EXPECT_TRUE(parse(row.arguments, options, error)) << row.name << ": " << error;
        EXPECT_TRUE(row.holds(options)) << row.name;
    }

    const std::vector<std::string> refused[] = {
        {"--port", "-1"},
        {"--port", "7x"},
        {"--generate", "0"},
        {"--corrupt-every", "0"},
        {"--reply-delay", ""},
        {"--report", ""},
        {"--wine-prefix", ""},
        {"port"},
        {"--baud", "9600"},
        {"--device", "locus", "--reply", "none"},
        {"--device", "locus", "--baud", "1200"},
        {"--device", "locus", "--ack", "184=4"},
        {"--device", "locus", "--ack", "186=3"},
        {"--device", "locus", "--content", "0x3"},
    };
    for (const auto& arguments : refused) {
        SimOptions options;
        std::string error;
        EXPECT_FALSE(parse(arguments, options, error)) << arguments[0];
        EXPECT_FALSE(error.empty()) << arguments[0];
    }
}

TEST(SimParts, TakesOnlyANumberThatNamesNothing) {
    FakePortTree tree;
    tree.addUart("ttyS0", "4");
    tree.addUart("ttyS1", "0");
    tree.addLink("com3", tree.dev("unplugged"));
    tree.addDevice("pts5");
    tree.addAbandonedLink("com4", tree.dev("pts5"));
    tree.writeBluetoothPorts("130 00:11:22:aa:bb:cc\n");
    struct Row {
        const char* name;
        int32_t number;
        std::string claim;
    };
    const Row rows[] = {
        {"a present serial device", 1, tree.dev("ttyS0")},
        {"a ttyS node without a UART is free", 2, ""},
        {"a user's link whose device is missing", 3, tree.link("com3")},
        {"a link left by a killed simulator is free", 4, ""},
        {"a paired Bluetooth logger", 130, "Bluetooth 00:11:22:AA:BB:CC"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.claim, PortRegistration::claimOf(row.number, tree.roots)) << row.name;
    EXPECT_EQ(2, PortRegistration::lowestFreeNumber(tree.roots));
}

TEST(SimParts, ShortLineAndWrongChecksum) {
    uint8_t bytes[96];
    for (int i = 0; i < 96; ++i)
        bytes[i] = static_cast<uint8_t>(i);
    struct Row {
        const char* name;
        std::string actual;
        std::string expected;
    };
    const Row rows[] = {
        {"cut to 16 words with a fresh checksum", withWords(dumpDataSentence(3, bytes, 24), 16),
         dumpDataSentence(3, bytes, 16)},
        {"a line already short stays", withWords(dumpDataSentence(3, bytes, 10), 16),
         dumpDataSentence(3, bytes, 10)},
        {"wrong checksum changes the last digit", withWrongChecksum("$PMTKLOX,2*47\r\n"),
         "$PMTKLOX,2*40\r\n"},
        {"a last digit 0 becomes 1", withWrongChecksum("$PMTKLOX,0,0*59\r\n").substr(0, 15),
         "$PMTKLOX,0,0*50"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, row.actual) << row.name;
}

TEST(SimParts, ReadsGpxTolerantly) {
    struct Row {
        const char* name;
        std::string text;
        size_t count;
        uint32_t firstTime;
        uint8_t firstFix;
        int16_t firstHeight;
    };
    const Row rows[] = {
        {"attributes in either order and quote",
         "<trkpt lon='11.25' lat=\"48.5\"><ele>520.4</ele>"
         "<time>2020-09-13T12:26:40Z</time></trkpt>",
         1, 1600000000u, 3, 520},
        {"no height gives a 2D fix",
         "<trkpt lat=\"1\" lon=\"2\"><time>2020-09-13T12:26:40.250Z</time></trkpt>", 1, 1600000000u,
         2, 0},
        {"offset is taken off",
         "<trkpt lat=\"1\" lon=\"2\"><time>2020-09-13T14:26:40+02:00</time></trkpt>", 1,
         1600000000u, 2, 0},
        {"points without time or position are skipped",
         "<trkpt lat=\"1\" lon=\"2\"></trkpt><trkpt lat=\"x\" "
         "lon=\"2\"><time>2020-09-13T12:26:40Z</time>"
         "</trkpt><trkpt lat=\"91\" lon=\"2\"><time>2020-09-13T12:26:40Z</time></trkpt>"
         "<trkpt lat=\"1\" lon=\"2\"><time>2020-09-13T12:26:41Z</time><ele>-3</ele></trkpt>",
         1, 1600000001u, 3, -3},
        {"waypoints are not track points",
         "<wpt lat=\"1\" lon=\"2\"><time>2020-09-13T12:26:40Z</time></wpt>", 0, 0, 0, 0},
    };
    for (const Row& row : rows) {
        std::vector<RawRecord> records = parseGpxTrack(row.text);
        ASSERT_EQ(row.count, records.size()) << row.name;
        if (row.count == 0)
            continue;
        EXPECT_EQ(row.firstTime, records[0].time) << row.name;
        EXPECT_EQ(row.firstFix, records[0].fix) << row.name;
        EXPECT_EQ(row.firstHeight, records[0].height) << row.name;
    }
}

TEST(SimParts, ReadsRecordListsStrictly) {
    struct Row {
        const char* name;
        std::string text;
        std::string error; // empty: one record read, fix 4 and height -450
        uint8_t satellites = 0;
    };
    const Row rows[] = {
        {"comments, blank lines and CR LF around a record",
         "# time fix lat lon height\n\n2020-09-13T12:26:40Z 4 -1.5 200.25 -450\r\n", ""},
        {"a field missing", "2020-09-13T12:26:40Z 3 1 2\n", "line 1 "},
        {"a time that is none, after a blank line", "\nyesterday 3 1 2 5\n", "line 2 "},
        {"no record at all", "# nothing\n", "no record"},
        {"speed, heading, HDOP and satellites follow",
         "2020-09-13T12:26:40Z 4 -1.5 200.25 -450 -3 359 125 9", "", 9},
        {"no fifth column behind them", "2020-09-13T12:26:40Z 4 -1.5 200.25 -450 1 2 3 4 5",
         "line 1 "},
        {"satellites past 255", "2020-09-13T12:26:40Z 4 -1.5 200.25 -450 1 2 3 256", "line 1 "},
    };
    for (const Row& row : rows) {
        std::vector<RawRecord> records;
        std::string error;
        EXPECT_EQ(row.error.empty(), parseRecordList(row.text, records, error)) << row.name;
        EXPECT_EQ(row.error, error.substr(0, row.error.size())) << row.name;
        if (row.error.empty()) {
            ASSERT_EQ(1u, records.size()) << row.name;
            EXPECT_EQ(1600000000u, records[0].time);
            EXPECT_EQ(4, records[0].fix);
            EXPECT_EQ(200.25f, records[0].longitude);
            EXPECT_EQ(-450, records[0].height);
            EXPECT_EQ(row.satellites, records[0].satellites);
        }
    }
}

TEST(SimParts, IsoTimes) {
    struct Row {
        const char* text;
        bool valid;
        uint32_t seconds;
    };
    const Row rows[] = {
        {"1970-01-01T00:00:00Z", true, 0},
        {"2000-02-29T23:59:59Z", true, 951868799u},
        {"2106-02-07T06:28:15Z", true, 0xFFFFFFFFu},
        {"2106-02-07T06:28:16Z", false, 0},
        {"1969-12-31T23:59:59Z", false, 0},
        {"2020-13-01T00:00:00Z", false, 0},
        {"yesterday", false, 0},
    };
    for (const Row& row : rows) {
        uint32_t seconds = 0;
        EXPECT_EQ(row.valid, parseIsoTime(row.text, seconds)) << row.text;
        if (row.valid) {
            EXPECT_EQ(row.seconds, seconds) << row.text;
        }
    }
}

// What the program's own decoder makes of the lines.
std::unique_ptr<TrackStore> decoded(const LogLines& lines) {
    auto store = std::make_unique<TrackStore>();
    store->clear();
    for (size_t i = 0; i < lines.size(); ++i) {
        decodeLogLine(static_cast<int32_t>(i), lines[i].substr(0, lines[i].size() - 2).c_str(),
                      *store);
    }
    return store;
}

TEST(SimParts, LaysRecordsOutLikeTheDevicesRing) {
    struct Row {
        const char* name;
        int32_t records;
        size_t lines;
        int32_t startIndex;      // slot of the earliest record
        int32_t firstErasedSlot; // -1: every slot holds a record
    };
    const Row rows[] = {
        {"a partly filled last line is erased behind", 100, 17, 0, 100},
        {"a full ring", 8196, 1366, 0, -1},
        {"past the end the oldest records are overwritten", 8196 + 10, 1366, 10, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LogLines lines = linesFromRecords(generateTrip(row.records));
        ASSERT_EQ(row.lines, lines.size());
        auto store = decoded(lines);
        EXPECT_EQ(row.startIndex, store->startIndex);
        if (row.firstErasedSlot >= 0) {
            const LogRecord& erased = store->records[static_cast<size_t>(row.firstErasedSlot)];
            EXPECT_EQ(0, erased.fix) << "erased flash reads as a record without a fix";
        }
    }
}

TEST(SimParts, LaysRecordsOutLikeAModulesFlash) {
    struct Row {
        const char* name;
        uint32_t content;
        int32_t records;
        size_t lines;
        int32_t finalWords;
        uint16_t firstSerial; // of the sector at the start of the flash
        int32_t firstRecord;  // the record in its first slot
        int32_t stored;
    };
    const Row rows[] = {
        {"one sector", 0x1F, 86, 43, 16, 1, 0, 86},
        {"every sector full", 0x1F, 32 * 252, 1366, 8, 1, 0, 32 * 252},
        {"past the end the oldest sector is begun anew", 0x147F, 32 * 175 + 100, 1366, 8, 33,
         32 * 175, 31 * 175 + 100},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<RawRecord> trip = generateTrip(row.records);
        SectorHeader setup;
        setup.content = row.content;
        const std::vector<uint8_t> flash = flashFromRecords(trip, setup);
        const LogLines lines = dumpLinesOf(flash);
        ASSERT_EQ(row.lines, lines.size());
        EXPECT_EQ(dumpDataSentence(static_cast<int32_t>(row.lines - 1),
                                   &flash[(row.lines - 1) * kLineBytes], row.finalWords),
                  lines.back());
        EXPECT_EQ(row.firstSerial,
                  flash[HeaderField::kSerial] | flash[HeaderField::kSerial + 1] << 8);
        const auto first = encodeRecord(trip[static_cast<size_t>(row.firstRecord)], row.content);
        EXPECT_TRUE(std::equal(first.begin(), first.end(), &flash[kSectorHeaderBytes]));
        const std::vector<uint8_t> fromLines = flashOfLines(lines);
        EXPECT_TRUE(std::equal(flash.begin(), flash.end(), fromLines.begin()))
            << "a capture of the dump reads back the same flash";
        EXPECT_EQ(row.stored, flashUse(fromLines).records);
    }
}

TEST(SimParts, GeneratedTripHasStopsAndLostFixes) {
    std::vector<RawRecord> trip = generateTrip(1200);
    int stops = 0;
    int lostFixes = 0;
    for (size_t i = 0; i < trip.size(); ++i) {
        if (trip[i].fix < 2)
            ++lostFixes;
        if (i > 0 && trip[i].time - trip[i - 1].time > 300)
            ++stops;
    }
    EXPECT_EQ(2, stops) << "three segments";
    EXPECT_EQ(22, lostFixes);
    EXPECT_EQ(generateTrip(1200).back().latitude, trip.back().latitude) << "the same every time";
}

} // namespace
