// The simulator as a program sees it: through its pseudo-terminal, started
// with a private HOME for every case.
#include "pty_client.h"
#include "support/com_port_map_posix.h"
#include "support/simulator_process_posix.h"
#include "tools/common/log_encoder.h"
#include "module_flash.h"
#include "trip_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Starts the simulator and opens its line, or says why not.
::testing::AssertionResult startWith(SimulatorProcess& sim, PtyClient& client,
                                     const std::vector<std::string>& arguments) {
    std::string error;
    if (!sim.start(arguments, error))
        return ::testing::AssertionFailure() << error;
    if (!client.open(sim.devicePath())) {
        return ::testing::AssertionFailure() << "cannot open " << sim.devicePath();
    }
    return ::testing::AssertionSuccess();
}

std::string readLink(const std::string& path) {
    char target[256] = {};
    ssize_t size = readlink(path.c_str(), target, sizeof target - 1);
    return size > 0 ? std::string(target, static_cast<size_t>(size)) : std::string();
}

bool exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// Field n of a sentence (field 0 is the address).
std::string field(const std::string& sentence, int n) {
    size_t start = 0;
    for (int i = 0; i < n; ++i) {
        start = sentence.find(',', start);
        if (start == std::string::npos)
            return {};
        ++start;
    }
    return sentence.substr(start, sentence.find_first_of(",*", start) - start);
}

int wordCount(const std::string& dataLine) {
    int commas = 0;
    for (char c : dataLine.substr(0, dataLine.find('*')))
        commas += c == ',' ? 1 : 0;
    return commas - 2;
}

const std::string kEnd = "$PMTKLOX,2*47";

TEST(Simulator, AnswersTheVersionQueryInEachForm) {
    struct Row {
        const char* name;
        std::vector<std::string> arguments;
        std::string expectedPrefix; // empty: no reply at all
        bool validChecksum;
        double earliestMs;
    };
    const Row rows[] = {
        {"first form by default", {}, "$ZOR00,V,ZOR 7700,02,", true, 0},
        {"second form", {"--reply", "second"}, "$ZOR00,V,02,01,01,03,00,00,10,0D,00*", true, 0},
        {"wrong form", {"--reply", "wrong"}, "$ZOR00,V,02,01,01,03,00,00,10,0D,01*", true, 0},
        {"wrong checksum", {"--reply", "bad-checksum"}, "$ZOR00,V,ZOR 7700,02,", false, 0},
        {"late answer", {"--reply-delay", "700"}, "$ZOR00,V,ZOR 7700,02,", true, 650},
        {"no answer", {"--reply", "none"}, "", true, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatorProcess sim;
        PtyClient client;
        std::vector<std::string> arguments = row.arguments;
        arguments.push_back("--no-chatter");
        ASSERT_TRUE(startWith(sim, client, arguments));
        client.sendCommand("PZOR,V");
        std::vector<std::string> replies =
            withPrefix(sentencesOf(client.readUntil("\r\n", 2000)), "$ZOR00,V,");
        if (row.expectedPrefix.empty()) {
            EXPECT_TRUE(replies.empty()) << "unexpected reply " << replies.front();
            continue;
        }
        ASSERT_EQ(1u, replies.size());
        EXPECT_EQ(row.expectedPrefix, replies[0].substr(0, row.expectedPrefix.size()));
        EXPECT_EQ(row.validChecksum, hasValidChecksum(replies[0])) << replies[0];
        EXPECT_GE(client.arrivals().front().first, row.earliestMs);
        EXPECT_LT(client.arrivals().front().first, row.earliestMs + 500);
    }
}

TEST(Simulator, DumpsTheWholeMemoryAtTheBaudRatesPace) {
    SimulatorProcess sim;
    PtyClient client;
    ASSERT_TRUE(startWith(sim, client, {"--generate", "300", "--no-chatter"}));
    client.sendCommand("PZOR,R");
    std::string stream = client.readUntil(kEnd, 20000);
    std::vector<std::string> sentences = sentencesOf(stream);
    ASSERT_EQ(52u, sentences.size()) << "start, 50 data lines, end";
    EXPECT_EQ("50", field(sentences.front(), 2)) << sentences.front();
    EXPECT_EQ(kEnd, sentences.back());
    for (int line = 0; line < 50; ++line) {
        const std::string& sentence = sentences[static_cast<size_t>(line) + 1];
        EXPECT_EQ(std::to_string(line), field(sentence, 2)) << sentence;
        EXPECT_EQ(24, wordCount(sentence)) << sentence;
        EXPECT_TRUE(hasValidChecksum(sentence)) << sentence;
    }

    // Bytes leave at 5760 a second, evenly: the reader, polling every 5 ms,
    // gets small pieces rather than whole 235-byte lines, and no piece is
    // far ahead of or behind the straight line (the margin allows for the
    // scheduler's stalls on a busy machine).
    const auto& pieces = client.arrivals();
    double firstMs = pieces.front().first;
    size_t firstBytes = pieces.front().second;
    double rate =
        static_cast<double>(stream.size() - firstBytes) / (pieces.back().first - firstMs) * 1000;
    EXPECT_NEAR(5760.0, rate, 5760.0 * 0.05);
    std::vector<size_t> pieceSizes;
    size_t previous = 0;
    for (const auto& [ms, bytes] : pieces) {
        pieceSizes.push_back(bytes - previous);
        previous = bytes;
        double expected = static_cast<double>(firstBytes) + (ms - firstMs) * 5.76;
        EXPECT_NEAR(expected, static_cast<double>(bytes), 1500.0) << "at " << ms << " ms";
    }
    std::nth_element(pieceSizes.begin(), pieceSizes.begin() + pieceSizes.size() / 2,
                     pieceSizes.end());
    EXPECT_LT(pieceSizes[pieceSizes.size() / 2], 100u) << "median piece";
}

TEST(Simulator, FastDumpIsNotPaced) {
    SimulatorProcess sim;
    PtyClient client;
    ASSERT_TRUE(startWith(sim, client, {"--generate", "1200", "--no-chatter", "--fast"}));
    client.sendCommand("PZOR,R");
    std::string stream = client.readUntil(kEnd, 10000);
    EXPECT_EQ(202u, sentencesOf(stream).size());
    // 47 kB take over 8 s at 57600 baud.
    EXPECT_LT(client.arrivals().back().first, 1500.0);
}

TEST(Simulator, EraseEmptiesTheMemoryAndTheReportListsEveryCommand) {
    SimulatorProcess sim;
    PtyClient client;
    ASSERT_TRUE(startWith(sim, client, {"--generate", "60", "--fast", "--no-chatter"}));
    client.sendCommand("PZOR,R");
    EXPECT_EQ(12u, sentencesOf(client.readUntil(kEnd, 5000)).size());
    client.sendCommand("PZOR,C");
    client.sendCommand("PZOR,R");
    std::vector<std::string> after = sentencesOf(client.readUntil(kEnd, 5000));
    ASSERT_EQ(2u, after.size());
    EXPECT_EQ("$PMTKLOX,0,0*59", after[0]);
    EXPECT_EQ(kEnd, after[1]);

    std::vector<std::string> commands = sim.commands();
    ASSERT_EQ(3u, commands.size());
    const char* expected[] = {"$PZOR,R", "$PZOR,C", "$PZOR,R"};
    long previousMs = 0;
    for (size_t i = 0; i < 3; ++i) {
        char* text = nullptr;
        long ms = std::strtol(commands[i].c_str(), &text, 10);
        EXPECT_EQ(std::string(" ") + expected[i], text) << commands[i];
        EXPECT_GE(ms, previousMs) << commands[i];
        previousMs = ms;
    }
}

size_t occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(Simulator, PrintsTheCommandsOnRequestAndOnExit) {
    SimulatorProcess sim;
    PtyClient client;
    ASSERT_TRUE(startWith(sim, client, {"--no-chatter", "--reply", "none"}));
    client.sendCommand("PZOR,V");
    client.readUntil("never", 300);
    struct Row {
        const char* name;
        void (*trigger)(SimulatorProcess& sim);
        size_t listings; // of the command on standard error so far
    };
    const Row rows[] = {
        {"SIGUSR1 prints the report so far", [](SimulatorProcess& sim) { sim.sendSignal(SIGUSR1); },
         1},
        {"the exit prints it again", [](SimulatorProcess& sim) { sim.stop(); }, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.trigger(sim);
        size_t listings = 0;
        for (int wait = 0; wait < 100 && listings != row.listings; ++wait) {
            usleep(20000);
            listings = occurrences(sim.errorOutput(), " $PZOR,V\n");
        }
        EXPECT_EQ(row.listings, listings) << sim.errorOutput();
    }
}

// The terminal's exclusive-use flag as a fresh open sees it (root opens anyway).
int exclusiveFlag(const std::string& device) {
    int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    int exclusive = -1;
    if (fd >= 0 && ioctl(fd, TIOCGEXCL, &exclusive) != 0)
        exclusive = -1;
    if (fd >= 0)
        close(fd);
    return exclusive;
}

TEST(Simulator, ForgetsTheExclusiveUseOfAProgramThatIsGone) {
    struct Row {
        const char* name;
        bool holdsLock;
        bool staysOpen;
        int flagAfter;
    };
    const Row rows[] = {
        {"a program killed while it held the port", false, false, 0},
        {"a program that holds its lock keeps the port", true, true, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatorProcess sim;
        std::string error;
        ASSERT_TRUE(sim.start({"--no-chatter"}, error)) << error;
        int fd = open(sim.devicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(0, ioctl(fd, TIOCEXCL));
        if (row.holdsLock) {
            ASSERT_EQ(0, flock(fd, LOCK_EX | LOCK_NB));
        }
        if (!row.staysOpen)
            close(fd);
        usleep(1500 * 1000);
        EXPECT_EQ(row.flagAfter, exclusiveFlag(sim.devicePath()));
        if (row.staysOpen)
            close(fd);
    }
}

TEST(Simulator, ChattersBetweenCommandsUnlessTold) {
    struct Row {
        const char* name;
        std::vector<std::string> arguments;
        size_t minimumPerKind;
        size_t maximumPerKind;
        SimulatorProcess sim;
        PtyClient client;
    };
    Row rows[] = {
        {"a GGA and an RMC every second", {}, 2, 5, {}, {}},
        {"quiet with --no-chatter", {"--no-chatter"}, 0, 0, {}, {}},
    };
    for (Row& row : rows)
        ASSERT_TRUE(startWith(row.sim, row.client, row.arguments)) << row.name;
    // The simulators run side by side: by the time the first has been
    // listened to for 3.5 s, whatever the second said meanwhile is waiting
    // on its line.
    uint32_t listenMs = 3500;
    for (Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> sentences = sentencesOf(row.client.readUntil("never", listenMs));
        listenMs = 200;
        for (const char* kind : {"$GPGGA,", "$GPRMC,"}) {
            std::vector<std::string> found = withPrefix(sentences, kind);
            EXPECT_GE(found.size(), row.minimumPerKind) << kind;
            EXPECT_LE(found.size(), row.maximumPerKind) << kind;
            for (const std::string& sentence : found)
                EXPECT_TRUE(hasValidChecksum(sentence)) << sentence;
        }
    }
}

TEST(Simulator, InjectsEachFaultIntoTheDump) {
    struct Row {
        const char* name;
        std::vector<std::string> arguments;
        std::vector<int> expectedIndexes; // data lines in arrival order
        std::vector<size_t> corrupted;    // positions in arrival order
        bool endSentence;
        int finalWords;
        bool hangUp;
    };
    const std::vector<int> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    const Row rows[] = {
        {"complete without faults", {}, all, {}, true, 24, false},
        {"silence after 4 lines", {"--silence-after", "4"}, {0, 1, 2, 3}, {}, false, 24, false},
        {"every third checksum wrong", {"--corrupt-every", "3"}, all, {2, 5, 8}, true, 24, false},
        {"line 4 dropped", {"--drop-line", "4"}, {0, 1, 2, 3, 5, 6, 7, 8, 9}, {}, true, 24, false},
        {"line 4 repeated",
         {"--repeat-line", "4"},
         {0, 1, 2, 3, 4, 4, 5, 6, 7, 8, 9},
         {},
         true,
         24,
         false},
        {"line 4 after line 5",
         {"--swap-line", "4"},
         {0, 1, 2, 3, 5, 4, 6, 7, 8, 9},
         {},
         true,
         24,
         false},
        {"short final line", {"--short-final-line"}, all, {}, true, 16, false},
        {"hang-up after 4 lines", {"--hangup-after", "4"}, {0, 1, 2, 3}, {}, false, 24, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatorProcess sim;
        PtyClient client;
        std::vector<std::string> arguments = {"--generate", "60", "--fast", "--no-chatter"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        ASSERT_TRUE(startWith(sim, client, arguments));
        client.sendCommand("PZOR,R");
        std::vector<std::string> sentences = sentencesOf(client.readUntil(kEnd, 1500));
        std::vector<std::string> data = withPrefix(sentences, "$PMTKLOX,1,");
        std::vector<int> indexes;
        std::vector<size_t> corrupted;
        for (size_t i = 0; i < data.size(); ++i) {
            indexes.push_back(std::atoi(field(data[i], 2).c_str()));
            if (!hasValidChecksum(data[i]))
                corrupted.push_back(i);
        }
        EXPECT_EQ(row.expectedIndexes, indexes);
        EXPECT_EQ(row.corrupted, corrupted);
        EXPECT_EQ(row.endSentence, !withPrefix(sentences, kEnd).empty());
        ASSERT_FALSE(data.empty());
        EXPECT_EQ(row.finalWords, wordCount(data.back())) << data.back();
        EXPECT_EQ(row.hangUp, client.hungUp());
        if (row.hangUp) {
            EXPECT_EQ(0, sim.waitExit(5000)) << "the simulator ends with the line";
            EXPECT_FALSE(exists(sim.linkPath()));
        }
    }
}

TEST(Simulator, RegistersItsLinkAndRemovesItOnEveryWayOut) {
    struct Row {
        const char* name;
        int signal;
    };
    const Row rows[] = {{"SIGTERM", SIGTERM}, {"SIGINT", SIGINT}, {"SIGHUP", SIGHUP}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatorProcess sim;
        std::string wineDevices = sim.folder() + "/wine/dosdevices";
        ASSERT_EQ(0, system(("mkdir -p " + wineDevices).c_str()));
        std::string error;
        ASSERT_TRUE(sim.start({"--port", "207", "--wine-prefix", sim.folder() + "/wine"}, error))
            << error;
        EXPECT_EQ(207, sim.portNumber());
        EXPECT_EQ(sim.configHome() + "/ZOR/ports/com207", sim.linkPath());
        EXPECT_EQ(sim.devicePath(), readLink(sim.linkPath()));
        EXPECT_EQ(sim.devicePath(), readLink(wineDevices + "/com207"));
        EXPECT_EQ(0, sim.stop(row.signal));
        EXPECT_FALSE(exists(sim.linkPath()));
        EXPECT_FALSE(exists(sim.linkPath() + ".owner"));
        EXPECT_FALSE(exists(wineDevices + "/com207"));
    }
}

TEST(Simulator, ReplacesALeftBehindLinkButNeverAUsersLink) {
    struct Row {
        const char* name;
        std::string existingLink;
        std::string existingTarget;
        bool leftByAKilledSimulator; // its owner mark is there, unheld
        bool starts;
    };
    const Row rows[] = {
        {"a killed simulator's link to a terminal reused since", "com209", "/dev/null", true, true},
        {"a killed simulator's link to a terminal that is gone", "com209",
         "/dev/zor-no-such-device", true, true},
        {"a user's link to a device that is gone", "com209", "/dev/zor-no-such-device", false,
         false},
        {"a user's link in another spelling, device gone", "COM0209", "/dev/zor-no-such-device",
         false, false},
        {"a user's link to a present device", "Com209", "/dev/null", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatorProcess sim;
        std::string folder = sim.configHome() + "/ZOR/ports";
        std::string existing = folder + "/" + row.existingLink;
        ASSERT_EQ(0, system(("mkdir -p " + folder).c_str()));
        ASSERT_EQ(0, symlink(row.existingTarget.c_str(), existing.c_str()));
        if (row.leftByAKilledSimulator)
            std::ofstream(existing + ".owner") << "4242\n";
        std::string error;
        EXPECT_EQ(row.starts, sim.start({"--port", "209"}, error)) << error;
        if (row.starts) {
            EXPECT_EQ(sim.devicePath(), readLink(folder + "/com209"));
        } else {
            EXPECT_EQ(row.existingTarget, readLink(existing)) << "the user's link stays";
            EXPECT_NE(std::string::npos, error.find("COM209 is taken by " + existing)) << error;
        }
    }
}

TEST(Simulator, ALinkLeftByAKilledSimulatorIsNeverAPort) {
    SimulatorProcess sim;
    std::string error;
    ASSERT_TRUE(sim.start({"--port", "209"}, error)) << error;
    EXPECT_EQ(128 + SIGKILL, sim.stop(SIGKILL));
    // Once its terminal's number goes to another user, the link points there.
    ASSERT_TRUE(exists(sim.linkPath()));
    ASSERT_EQ(0, unlink(sim.linkPath().c_str()));
    ASSERT_EQ(0, symlink("/dev/null", sim.linkPath().c_str()));
    ComPortRoots roots;
    roots.userPortsDir = sim.configHome() + "/ZOR/ports";
    EXPECT_EQ("", comPortDevicePath(209, roots));
    ASSERT_TRUE(sim.start({"--port", "209"}, error))
        << "a new simulator takes the number: " << error;
    EXPECT_EQ(sim.devicePath(), readLink(sim.linkPath()));
    EXPECT_EQ(sim.linkPath(), comPortDevicePath(209, roots)) << "and its link is a port";
}

TEST(Simulator, TakesItsMemoryFromACaptureAGpxFileOrARecordList) {
    const uint8_t bytes[96] = {0x12, 0x34};
    const std::string line0 = dumpDataSentence(0, bytes, 24);
    const std::string line1 = dumpDataSentence(1, bytes, 24);
    struct Row {
        const char* name;
        const char* option;
        std::string fileText;
        size_t expectedLines;
        std::string expectedFirst;
    };
    const Row rows[] = {
        {"capture with noise around the sentences", "--capture",
         "garbage\n$GPGGA,1*00\r\n" + dumpStartSentence(2) + "xx" + line0 + line1 +
             dumpEndSentence(),
         2, line0.substr(0, line0.size() - 2)},
        {"GPX with seven points", "--gpx",
         "<gpx><trk><trkseg>"
         "<trkpt lat=\"48.5\" lon=\"11.25\"><ele>520</ele><time>2020-09-13T12:26:40Z</time></trkpt>"
         "<trkpt lat='48.6' lon='11.3'><time>2020-09-13T12:26:45Z</time></trkpt>"
         "<trkpt lat=\"48.7\" lon=\"11.4\"><time>2020-09-13T12:26:50Z</time></trkpt>"
         "<trkpt lat=\"48.8\" lon=\"11.5\"><time>2020-09-13T12:26:55Z</time></trkpt>"
         "<trkpt lat=\"48.9\" lon=\"11.6\"><time>2020-09-13T12:27:00Z</time></trkpt>"
         "<trkpt lat=\"49.0\" lon=\"11.7\"><time>2020-09-13T12:27:05Z</time></trkpt>"
         "<trkpt lat=\"49.1\" lon=\"11.8\"><time>2020-09-13T12:27:10Z</time></trkpt>"
         "</trkseg></trk></gpx>",
         2, "$PMTKLOX,1,0,00105E5F,03000042,42000034,4108026D,"},
        {"record list", "--records", "2020-09-13T12:26:40Z 3 48.5 11.25 520\n", 1,
         "$PMTKLOX,1,0,00105E5F,03000042,42000034,4108026D,"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatorProcess sim;
        std::string path = sim.folder() + "/log";
        std::ofstream(path, std::ios::binary) << row.fileText;
        PtyClient client;
        ASSERT_TRUE(startWith(sim, client, {row.option, path, "--fast", "--no-chatter"}));
        client.sendCommand("PZOR,R");
        std::vector<std::string> data =
            withPrefix(sentencesOf(client.readUntil(kEnd, 3000)), "$PMTKLOX,1,");
        ASSERT_EQ(row.expectedLines, data.size());
        EXPECT_EQ(row.expectedFirst, data[0].substr(0, row.expectedFirst.size()));
    }
}

TEST(Simulator, AModuleAnswersAtItsOwnRateOnly) {
    struct Step {
        uint32_t clientRate; // 0: as before
        std::string command; // empty: none, only listening
        std::vector<std::string> replies;
    };
    struct Row {
        const char* name;
        std::vector<std::string> arguments;
        std::vector<Step> steps;
    };
    const std::string status = "PMTKLOG,5,0,a,31,15,0,0,0,1200,14";
    const std::string erased = "PMTKLOG,0,0,a,127,15,0,0,0,0,0";
    const Row rows[] = {
        {"release, status and test packet at 9600",
         {},
         {{9600, "PMTK605", {"PMTK705,AXN_2.31_3339_13101700,5632,PA6H,1.0"}},
          {0, "PMTK183", {status, "PMTK001,183,3"}},
          {0, "PMTK000", {"PMTK001,0,3"}}}},
        {"an L86 at 115200",
         {"--baud", "115200", "--model", "L86"},
         {{115200, "PMTK605", {"PMTK705,AXN_5.1.6_3333_18050800,0002,Quectel-L86,1.0"}}}},
        {"nothing understood at another rate, the ZOR 7700's query ignored",
         {},
         {{57600, "PMTK605", {}}, {9600, "PZOR,V", {}}, {0, "PMTK000", {"PMTK001,0,3"}}}},
        {"logging stopped, every 5 s",
         {},
         {{9600, "PMTK185,1", {"PMTK001,185,3"}},
          {0, "PMTK187,1,5", {"PMTK001,187,3"}},
          {0, "PMTK183", {"PMTKLOG,5,0,a,31,5,0,0,1,1200,14", "PMTK001,183,3"}}}},
        {"erased",
         {"--content", "0x7F"},
         {{9600, "PMTK184,1", {"PMTK001,184,3"}}, {0, "PMTK183", {erased, "PMTK001,183,3"}}}},
        {"an erase that failed",
         {"--ack", "184=2"},
         {{9600, "PMTK184,1", {"PMTK001,184,2"}}, {0, "PMTK183", {status, "PMTK001,183,3"}}}},
        {"an erase without acknowledgement",
         {"--ack", "184=none", "--content", "0x7F"},
         {{9600, "PMTK184,1", {}}, {0, "PMTK183", {erased, "PMTK001,183,3"}}}},
        {"no status reply",
         {"--no-status"},
         {{9600, "PMTK183", {}}, {0, "PMTK000", {"PMTK001,0,3"}}}},
        {"the rate switch, unacknowledged",
         {},
         {{9600, "PMTK251,115200", {}}, {0, "PMTK000", {}}, {115200, "PMTK000", {"PMTK001,0,3"}}}},
        {"the rate switch acknowledged at the old rate",
         {"--ack", "251=3"},
         {{9600, "PMTK251,38400", {"PMTK001,251,3"}}, {38400, "PMTK000", {"PMTK001,0,3"}}}},
        {"a refused rate switch",
         {"--refuse-rate"},
         {{9600, "PMTK251,115200", {}},
          {115200, "PMTK000", {}},
          {9600, "PMTK000", {"PMTK001,0,3"}}}},
        {"a restart after the erase: silence, then the start-up messages",
         {"--restart-after-erase"},
         {{9600, "PMTK184,1", {"PMTK001,184,3"}},
          {0, "", {}},
          {0, "", {"PMTK011,MTKGPS", "PMTK010,001"}}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatorProcess sim;
        PtyClient client;
        std::vector<std::string> arguments = {"--device", "locus", "--no-chatter"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        ASSERT_TRUE(startWith(sim, client, arguments));
        for (const Step& step : row.steps) {
            SCOPED_TRACE(step.command);
            if (step.clientRate != 0) {
                ASSERT_TRUE(client.setRate(step.clientRate));
            }
            if (!step.command.empty())
                client.sendCommand(step.command);
            std::string expected;
            for (const std::string& body : step.replies)
                expected += withChecksum(body);
            const std::string marker =
                step.replies.empty() ? "never" : withChecksum(step.replies.back());
            EXPECT_EQ(expected, client.readUntil(marker, step.replies.empty() ? 300 : 2000));
            // Every sentence the module understood is in the report.
            if (!step.replies.empty() && !step.command.empty()) {
                const std::vector<std::string> report = sim.commands();
                EXPECT_TRUE(!report.empty() && report.back().ends_with(" $" + step.command));
            }
        }
    }
}

uint32_t littleEndian(const uint8_t* bytes, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

TEST(Simulator, AModuleDumpsItsSectorsInItsLayout) {
    struct Row {
        const char* name;
        std::vector<std::string> arguments;
        uint32_t content;
        size_t lines; // two sectors: 86, the last of 8 words
        bool paced;
    };
    const Row rows[] = {
        {"0x7F at its own pace", {"--content", "0x7F"}, 0x7F, 86, true},
        {"0x147F", {"--content", "0x147F", "--fast"}, 0x147F, 86, false},
        {"bits that name no field are in the header only",
         {"--content", "0x80FF", "--fast"},
         0x80FF,
         86,
         false},
        {"its lines suffer the faults too", {"--fast", "--drop-line", "50"}, 0x1F, 85, false},
    };
    const std::vector<RawRecord> trip = generateTrip(300);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatorProcess sim;
        PtyClient client;
        std::vector<std::string> arguments = {"--device", "locus",      "--no-chatter", "--baud",
                                              "115200",   "--generate", "300"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        ASSERT_TRUE(startWith(sim, client, arguments));
        ASSERT_TRUE(client.setRate(115200));
        client.sendCommand("PMTK622,1");
        const std::string stream = client.readUntil("$PMTK001,622,3*36\r\n", 5000);
        const std::vector<std::string> sentences = sentencesOf(stream);
        const std::vector<std::string> data = withPrefix(sentences, "$PMTKLOX,1,");
        ASSERT_EQ(row.lines, data.size());
        EXPECT_EQ("$PMTKLOX,0,86", sentences.front().substr(0, 13));
        EXPECT_EQ(kEnd, sentences[sentences.size() - 2]);
        EXPECT_EQ(8, wordCount(data.back()));
        EXPECT_TRUE(std::all_of(data.begin(), data.end(), hasValidChecksum));

        const std::vector<uint8_t> flash = flashOfLines(data);
        EXPECT_EQ(row.content, littleEndian(&flash[kHeaderContentOffset], 4));
        EXPECT_EQ(sectorHeaderChecksum(flash.data()),
                  littleEndian(&flash[kHeaderChecksumOffset], 2));
        const RecordLayout layout = recordLayout(row.content);
        for (int32_t k : {0, recordsPerSector(layout) - 1}) {
            SCOPED_TRACE(k);
            const uint8_t* record =
                &flash[static_cast<size_t>(kSectorHeaderBytes + k * layout.size)];
            const RawRecord& written = trip[static_cast<size_t>(k)];
            EXPECT_EQ(0, recordChecksum(record, static_cast<size_t>(layout.size)));
            EXPECT_EQ(written.time, littleEndian(record + layout.at(kContentTime), 4));
            if (layout.at(kContentHeading) >= 0) {
                EXPECT_EQ(written.heading, littleEndian(record + layout.at(kContentHeading), 2));
            }
            if (layout.at(kContentSatellites) >= 0) {
                EXPECT_EQ(written.satellites, record[layout.at(kContentSatellites)]);
            }
        }
        if (row.paced) {
            // 115200 baud: 11520 bytes a second.
            const auto& pieces = client.arrivals();
            const double rate = static_cast<double>(stream.size() - pieces.front().second) /
                                (pieces.back().first - pieces.front().first) * 1000;
            EXPECT_NEAR(11520.0, rate, 11520.0 * 0.05);
        }
    }
}

// The program changes its rate in the middle of a dump: from then on the
// module's bytes arrive as garbage, as many as before, until the rates match
// again.
TEST(Simulator, AModuleGarblesWhatItSendsAtAnotherRate) {
    SimulatorProcess sim;
    PtyClient client;
    ASSERT_TRUE(
        startWith(sim, client,
                  {"--device", "locus", "--no-chatter", "--baud", "115200", "--generate", "300"}));
    ASSERT_TRUE(client.setRate(115200));
    client.sendCommand("PMTK622,1");
    const std::string before = client.readUntil("$PMTKLOX,1,20,", 3000);
    ASSERT_TRUE(client.setRate(57600));
    const std::string after = client.readUntil("never", 2500);
    // What was on its way may still arrive readable.
    EXPECT_EQ(std::string::npos, after.find_first_of("$\n", 256));
    ASSERT_TRUE(client.setRate(115200));
    client.sendCommand("PMTK622,1");
    const std::string whole = client.readUntil("$PMTK001,622,3*36\r\n", 3000);
    EXPECT_EQ(89u, sentencesOf(whole).size()) << "start, 86 lines, end, acknowledgement";
    EXPECT_EQ(whole.size(), before.size() + after.size());
}

TEST(Simulator, RefusesBadOptionsAndExplainsItself) {
    struct Row {
        const char* name;
        std::vector<std::string> arguments;
        int exitStatus;
        std::string outputContains;
    };
    const Row rows[] = {
        {"help", {"--help"}, 0, "--hangup-after N"},
        {"unknown option", {"--frobnicate"}, 2, "unknown option --frobnicate"},
        {"missing value", {"--port"}, 2, "--port needs N"},
        {"port out of range", {"--port", "256"}, 2, "bad value for --port: 256"},
        {"unknown reply form", {"--reply", "third"}, 2, "bad value for --reply"},
        {"capture that does not exist", {"--capture", "/nonexistent/dump"}, 1, "cannot read"},
        {"capture of a folder", {"--capture", "/"}, 1, "cannot read /: it is a folder"},
        {"capture without a dump sentence",
         {"--capture", "/dev/null"},
         1,
         "holds no $PMTKLOX sentence"},
        {"Wine prefix that does not exist",
         {"--wine-prefix", "/nonexistent/prefix"},
         1,
         "no Wine prefix"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatorProcess sim;
        std::vector<std::string> arguments = {simulatorPath()};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        std::string output;
        EXPECT_EQ(row.exitStatus, runProgram(arguments, sim.environment(), 5000, output));
        EXPECT_NE(std::string::npos, output.find(row.outputContains)) << output;
    }
}

} // namespace
