#include "device/transfer_worker.h"

#include "device/rfcomm_connect_posix.h"
#include "device/worker_platform.h"
#include "support/fast_limits.h"
#include "support/pseudo_terminal_posix.h"
#include "support/report_capture.h"
#include "support/scripted_device_posix.h"
#include "support/temp_folder.h"
#include "support/transfer_outcomes.h"
#include "support/wide_text.h"
#include "tools/common/log_encoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

// Scripts and options name only the fields a case changes; the rest keep
// their defaults on purpose.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

constexpr int32_t kPort = 9;
constexpr int32_t kBluetoothPort = 140;
constexpr uint32_t kRunLimitMs = 20000;

const std::string kFirstFormReply = withChecksum("ZOR00,V,ZOR 7700,02,1.07");
const std::string kSecondFormReply = withChecksum("ZOR00,V,02,01,01,03,00,00,10,0D,00");
const std::string kWrongFormReply = withChecksum("ZOR00,V,02,01,01,03,00,00,10,0D,01");
const std::string kChatter =
    withChecksum("GPGGA,120000.000,4830.0000,N,01115.0000,E,1,8,1.0,520.0,M,47.0,M,,");

// A dump of `lines` data lines whose records move north five seconds apart.
std::string buildDump(int32_t lines, uint8_t fix = 3) {
    std::string dump = dumpStartSentence(lines);
    for (int32_t line = 0; line < lines; ++line) {
        uint8_t bytes[96];
        for (int32_t k = 0; k < 6; ++k) {
            int32_t n = line * 6 + k;
            RawRecord record{1600000000u + 5u * static_cast<uint32_t>(n), fix,
                             48.5f + 0.0001f * static_cast<float>(n), 11.25f, 520};
            std::array<uint8_t, 16> encoded = encodeRecord(record);
            std::memcpy(bytes + 16 * k, encoded.data(), 16);
        }
        dump += dumpDataSentence(line, bytes, 24);
    }
    return dump + dumpEndSentence();
}

// Data line 10 whose six records are all earlier than any of buildDump's:
// decoded, it would take slot 60 and the start of the track.
std::string lineOfEarlierRecords() {
    uint8_t bytes[96];
    for (int k = 0; k < 6; ++k) {
        std::array<uint8_t, 16> early = encodeRecord({1000u, 3, 10.0f, 10.0f, 5});
        std::memcpy(bytes + 16 * k, early.data(), 16);
    }
    return dumpDataSentence(10, bytes, 24);
}

// Where a run writes and how it is released.
struct RunOptions {
    bool nmea = false;
    bool erase = false;
    std::string path;            // empty: a fresh file in the test's folder
    uint32_t goAheadDelayMs = 0; // how long the user takes to choose
    int32_t port = kPort;
};

// Runs against a scripted device on a serial line or, with overBluetooth set
// before SetUp(), on a paired logger's socket; in fast time (kFastLimits)
// unless a test asks for the real limits.
class TransferWorkerRun : public ::testing::Test {
public:
    explicit TransferWorkerRun(const TransferTimeLimits& limits = kFastLimits) : worker(limits) {}

    void SetUp() override {
        ASSERT_TRUE(line().isOpen());
        if (overBluetooth) {
            ASSERT_TRUE(ports.pairBluetooth(kBluetoothPort, "00:11:22:33:44:66"));
            setRfcommConnectorForTests(
                [this](const std::string&, int32_t) { return sockets.connect(); });
        } else {
            ASSERT_TRUE(ports.link(kPort, pty.slavePath()));
        }
        outputPath = ports.configHome() + "/track.out";
    }
    void TearDown() override {
        worker.stopTransfer();
        worker.joinTransfer();
        setRfcommConnectorForTests({});
    }

    DeviceLine& line() { return overBluetooth ? static_cast<DeviceLine&>(sockets) : pty; }

    void startDevice(DeviceScript script) {
        device = std::make_unique<ScriptedDevice>(line(), std::move(script));
    }

    // Waits for the next report of the run; false when none came in time.
    bool nextReport(PostedReport& report, uint32_t timeoutMs = kRunLimitMs) {
        if (!reports.waitNext(report, timeoutMs))
            return false;
        result.reports.push_back(report);
        return true;
    }

    // Collects reports until the final one; on "device found" hands over the
    // options and releases the run.
    ObservedRun runToEnd(const RunOptions& options) {
        // The serial port's number stands for the paired logger's over Bluetooth.
        const int32_t port = overBluetooth && options.port == kPort ? kBluetoothPort : options.port;
        runWorkerToEnd(worker, port, reports,
                       {options.nmea, options.erase,
                        widePath(options.path.empty() ? outputPath : options.path),
                        options.goAheadDelayMs},
                       kRunLimitMs, result);
        return result;
    }

    // What the device received and what is on disk, after the run.
    void observeDevice(ObservedRun& run) {
        for (const std::string& line : commandTexts())
            run.commands.push_back(commandText(line));
        run.fileExists = fs::exists(outputPath);
        run.fileText = readFile(outputPath);
    }

    // What the device received, once a command in flight has had time to land.
    std::vector<std::string> commandTexts() {
        sleepMs(100);
        std::vector<std::string> texts;
        for (const ScriptedDevice::Command& c : device->commands())
            texts.push_back(c.line);
        return texts;
    }

    bool overBluetooth = false;
    PseudoTerminal pty;
    SocketPairLine sockets;
    PrivatePortFolder ports;
    PrivateLockFolder locks;
    ReportCapture reports;
    TransferWorker worker;
    std::unique_ptr<ScriptedDevice> device;
    std::string outputPath;
    ObservedRun result;
};

// One row's run inside a table test, which calls SetUp() and TearDown()
// itself.
struct TableRow : TransferWorkerRun {
    void TestBody() override {}
};

// A run whose limits are the real ones, for a test that proves a run ends
// long before one: plain to see there, and it costs nothing.
class TransferWorkerRealTime : public TransferWorkerRun {
public:
    TransferWorkerRealTime() : TransferWorkerRun(kRealLimits) {}
};

const std::string kVersionQuery = withChecksum("PZOR,V");
const std::string kReadLog = withChecksum("PZOR,R");
const std::string kErase = withChecksum("PZOR,C");

// Byte offset behind the start sentence and the first `lines` data lines.
size_t afterDataLines(const std::string& dump, size_t lines) {
    size_t at = 0;
    for (size_t sentence = 0; sentence <= lines; ++sentence) {
        at = dump.find("\r\n", at);
        if (at == std::string::npos) {
            ADD_FAILURE() << "the log holds fewer than " << lines << " lines";
            return at;
        }
        at += 2;
    }
    return at;
}

std::string replyOfForm(const std::string& form) {
    if (form == "second")
        return kSecondFormReply;
    if (form == "wrong")
        return kWrongFormReply;
    if (form == "bad-checksum")
        return kFirstFormReply.substr(0, kFirstFormReply.size() - 4) + "00\r\n";
    if (form == "none")
        return "";
    EXPECT_EQ(form, "first");
    return kFirstFormReply;
}

// The scripted device acting the outcome table's zor7700-sim options, in
// fast time: it always sends at once and never chatters, and holds a 20-line
// log.
DeviceScript scriptFor(const std::vector<std::string>& options) {
    DeviceScript script{.versionReply = kFirstFormReply, .dump = buildDump(20)};
    size_t cutAfterLines = std::string::npos;
    for (size_t i = 0; i < options.size(); ++i) {
        const std::string& option = options[i];
        // An option with a value takes the next word.
        auto value = [&] { return i + 1 < options.size() ? options[++i] : std::string(); };
        if (option == "--reply") {
            script.versionReply = replyOfForm(value());
        } else if (option == "--reply-delay") {
            script.versionDelayMs = fastMs(static_cast<uint32_t>(std::stoul(value())));
        } else if (option == "--hangup-after" || option == "--silence-after") {
            script.hangUpInDump = option == "--hangup-after";
            cutAfterLines = std::stoul(value());
        } else if (option == "--empty") {
            script.dump = buildDump(0);
        } else if (option == "--no-positions") {
            script.dump = buildDump(20, 1);
        } else if (option == "--hangup-after-reply") {
            script.hangUpAfterVersion = true;
            script.hangUpDelayMs = fastMs(script.hangUpDelayMs);
        } else if (option != "--fast" && option != "--no-chatter") {
            ADD_FAILURE() << "the scripted device cannot act " << option;
        }
    }
    if (cutAfterLines != std::string::npos)
        script.dumpStopsAfter = afterDataLines(script.dump, cutAfterLines);
    return script;
}

} // namespace

// Every row of the outcome table that a scripted device can act: a whole
// run, what the user chose, and how the run must end; every row runs over a
// serial device and over a paired logger's socket alike.
TEST(TransferWorkerOutcomes, EveryCauseEndsWithItsReport) {
    for (bool overBluetooth : {false, true}) {
        for (const TransferOutcome& row : outcomesFor("scripted")) {
            SCOPED_TRACE(row.cause +
                         (overBluetooth ? ", over Bluetooth" : ", over a serial device"));
            TableRow run;
            run.overBluetooth = overBluetooth;
            run.SetUp();
            run.startDevice(scriptFor(row.device));
            ObservedRun observed =
                run.runToEnd({.nmea = row.nmea,
                              .erase = row.erase,
                              .path = posixOutputPath(row.target),
                              .goAheadDelayMs = row.lateGoAhead ? fastMs(1500) : 0,
                              .port = row.unknownPort ? kPortOfNoDevice : kPort});
            run.observeDevice(observed);
            expectOutcome(row, observed, kFastLimits);
            run.TearDown();
        }
    }
}

TEST_F(TransferWorkerRun, ReportsDeviceFoundOnceRisingProgressAndOneFinalReport) {
    startDevice({.versionReply = kFirstFormReply,
                 .dump = buildDump(86),
                 .dumpChunkBytes = 700,
                 .dumpChunkPauseMs = 20});
    ObservedRun run = runToEnd({});
    ASSERT_TRUE(run.ended);
    PostedReport late;
    EXPECT_FALSE(reports.waitNext(late, fastMs(300))) << "a report after the final one";
    std::vector<PostedReport>& list = run.reports;
    SCOPED_TRACE("reports: " + describeReports(list));
    ASSERT_GE(list.size(), 4u);
    EXPECT_EQ(list.front().wParam, kReportDeviceFound);
    EXPECT_EQ(list.back().wParam, kReportComplete);
    EXPECT_EQ(list.back().lParam, 0);
    EXPECT_EQ(list[1].wParam, kReportProgress);
    EXPECT_EQ(list[1].lParam, 0) << "the start sentence reports 0 percent";
    for (size_t i = 2; i + 1 < list.size(); ++i) {
        EXPECT_EQ(list[i].wParam, kReportProgress) << "report " << i;
        EXPECT_GT(list[i].lParam, list[i - 1].lParam) << "report " << i;
    }
    EXPECT_EQ(list[list.size() - 2].lParam, 100);
    for (const PostedReport& r : list)
        EXPECT_EQ(r.message, WM_TRANSFER);
}

TEST_F(TransferWorkerRun, KmlFileHoldsTheWholeTrack) {
    startDevice({.versionReply = kFirstFormReply, .dump = buildDump(20)});
    ASSERT_TRUE(runToEnd({}).ended);
    std::string kml = readFile(outputPath);
    EXPECT_EQ(kml.rfind("<?xml", 0), 0u);
    EXPECT_NE(kml.find("</kml>"), std::string::npos);
    EXPECT_EQ(worker.store().startIndex, 0);
    EXPECT_EQ(worker.store().records[119].time, 1600000000u + 5u * 119u);
}

TEST_F(TransferWorkerRun, NmeaFileHoldsTwoSentencesPerPosition) {
    startDevice({.versionReply = kFirstFormReply, .dump = buildDump(20)});
    ASSERT_TRUE(runToEnd({.nmea = true}).ended);
    std::string nmea = readFile(outputPath);
    size_t gga = 0, rmc = 0;
    for (size_t at = nmea.find("$GPGGA"); at != std::string::npos; at = nmea.find("$GPGGA", at + 1))
        ++gga;
    for (size_t at = nmea.find("$GPRMC"); at != std::string::npos; at = nmea.find("$GPRMC", at + 1))
        ++rmc;
    EXPECT_EQ(gga, 120u);
    EXPECT_EQ(rmc, 120u);
}

// The device must never be erased while the only other copy of the track is
// not yet whole on disk.
TEST_F(TransferWorkerRun, EraseComesAWholePauseAfterTheFileIsComplete) {
    std::string fileAtErase;
    DeviceScript script{.versionReply = kFirstFormReply, .dump = buildDump(20)};
    script.onErase = [&] { fileAtErase = readFile(outputPath); };
    startDevice(script);
    ObservedRun run = runToEnd({.erase = true});
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.reports.back().wParam, kReportComplete);
    EXPECT_EQ(run.reports.back().lParam, 1);
    EXPECT_EQ(commandTexts(), (std::vector<std::string>{kVersionQuery, kReadLog, kErase}));
    std::vector<ScriptedDevice::Command> commands = device->commands();
    ASSERT_EQ(commands.size(), 3u);
    uint32_t pause = ticksBetween(device->dumpSentTick(), commands[2].tick);
    EXPECT_GE(pause, kFastLimits.pauseBeforeEraseMs);
    EXPECT_LT(pause, fastMs(6500));
    std::string finalFile = readFile(outputPath);
    EXPECT_FALSE(finalFile.empty());
    EXPECT_TRUE(fileAtErase == finalFile) << "the file was " << fileAtErase.size() << " of "
                                          << finalFile.size() << " bytes when the erase came";
}

TEST_F(TransferWorkerRun, DetectionGivesUpAtItsLimit) {
    startDevice({});
    ObservedRun run = runToEnd({});
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.reports.back().lParam, kErrorNoDevice);
    EXPECT_GE(run.elapsedMs, kFastLimits.detectionMs);
    EXPECT_LT(run.elapsedMs, fastMs(2000));
}

TEST_F(TransferWorkerRealTime, WrongReplyFailsAtOnce) {
    startDevice({.versionReply = kWrongFormReply});
    ObservedRun run = runToEnd({});
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.reports.back().lParam, kErrorNoDevice);
    EXPECT_LT(run.elapsedMs, 700u);
}

TEST_F(TransferWorkerRun, OtherSentencesDuringDetectionAreIgnored) {
    DeviceScript script{
        .versionReply = kFirstFormReply, .versionDelayMs = fastMs(400), .dump = buildDump(5)};
    script.chatter = kChatter;
    script.chatterEveryMs = fastMs(50);
    startDevice(script);
    ObservedRun run = runToEnd({});
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.reports.back().wParam, kReportComplete) << describeReports(run.reports);
}

TEST_F(TransferWorkerRun, DumpSilenceAtItsLimitFails) {
    std::string dump = buildDump(20);
    DeviceScript script{
        .versionReply = kFirstFormReply, .dump = dump, .dumpStopsAfter = dump.size() / 2};
    // Ordinary sentences keep coming but are no sign of a dump.
    script.chatter = kChatter;
    script.chatterEveryMs = fastMs(200);
    startDevice(script);
    ObservedRun run = runToEnd({.erase = true});
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.reports.back().wParam, kReportFailed);
    EXPECT_EQ(run.reports.back().lParam, kErrorRead);
    uint32_t silence = ticksBetween(device->dumpSentTick(), tickCount());
    EXPECT_GE(silence, kFastLimits.dumpSilenceMs);
    EXPECT_LT(silence, fastMs(4500));
    EXPECT_FALSE(fs::exists(outputPath));
}

TEST_F(TransferWorkerRun, BytesAfterTheEndSentenceAreIgnored) {
    // A line behind the end sentence would make an earlier record the start.
    std::string dump = buildDump(3) + lineOfEarlierRecords();
    startDevice({.versionReply = kFirstFormReply, .dump = dump});
    ObservedRun run = runToEnd({});
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.reports.back().wParam, kReportComplete);
    EXPECT_EQ(worker.store().startIndex, 0);
    EXPECT_EQ(worker.store().records[60].fix, 0);
}

TEST_F(TransferWorkerRun, StartWhileRunningIsRefused) {
    startDevice({.versionReply = kFirstFormReply, .dump = buildDump(3)});
    ASSERT_TRUE(worker.startTransfer(kPort, reports.target()));
    EXPECT_FALSE(worker.startTransfer(kPort, reports.target()));
    PostedReport report;
    ASSERT_TRUE(nextReport(report));
    EXPECT_EQ(report.wParam, kReportDeviceFound);
    worker.stopTransfer();
    ASSERT_TRUE(nextReport(report));
    EXPECT_EQ(report.lParam, kErrorStopped);
    worker.joinTransfer();
    EXPECT_TRUE(worker.startTransfer(kPort, reports.target())) << "a finished run frees the worker";
    ASSERT_TRUE(nextReport(report));
    EXPECT_EQ(report.wParam, kReportDeviceFound);
}

// Stopping ends the run with code 7 wherever it is; rows name the phase.
TEST(TransferWorkerStop, StopsInEveryPhase) {
    std::string dump = buildDump(86);
    struct Case {
        const char* name;
        DeviceScript script;
        uintptr_t stopAfterReport; // stop once a report of this kind came (99: at once)
        intptr_t stopAfterPercent;
        std::vector<std::string> commands;
        bool mayStopBeforeTheQuery;
    } cases[] = {
        {"right after the start",
         {.versionReply = kFirstFormReply, .versionDelayMs = fastMs(500)},
         99,
         0,
         {kVersionQuery},
         true},
        {"while detecting",
         {.versionReply = kFirstFormReply, .versionDelayMs = fastMs(800)},
         98,
         0,
         {kVersionQuery},
         false},
        {"while waiting for the go-ahead",
         {.versionReply = kFirstFormReply},
         kReportDeviceFound,
         0,
         {kVersionQuery},
         false},
        {"while dumping",
         {.versionReply = kFirstFormReply,
          .dump = dump,
          .dumpChunkBytes = 500,
          .dumpChunkPauseMs = 30},
         kReportProgress,
         20,
         {kVersionQuery, kReadLog},
         false},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        TableRow run;
        run.SetUp();
        run.startDevice(c.script);
        ASSERT_TRUE(run.worker.startTransfer(kPort, run.reports.target()));
        if (c.stopAfterReport == 98)
            sleepMs(fastMs(300));
        PostedReport report{};
        while (c.stopAfterReport < 98 && run.nextReport(report)) {
            if (report.wParam == kReportDeviceFound && c.stopAfterReport == kReportProgress) {
                run.worker.outputPath = widePath(run.outputPath);
                run.worker.proceed();
            }
            if (report.wParam == c.stopAfterReport && report.lParam >= c.stopAfterPercent)
                break;
        }
        uint32_t stopStart = tickCount();
        run.worker.stopTransfer();
        EXPECT_LT(ticksBetween(stopStart, tickCount()), fastMs(1000))
            << "the run noticed the stop late";
        EXPECT_FALSE(run.worker.isRunning());
        PostedReport last{};
        while (run.nextReport(report, fastMs(2000)))
            last = report;
        EXPECT_EQ(last.wParam, kReportFailed) << describeReports(run.result.reports);
        EXPECT_EQ(last.lParam, kErrorStopped) << describeReports(run.result.reports);
        std::vector<std::string> commands = run.commandTexts();
        if (c.mayStopBeforeTheQuery && commands.empty())
            commands = c.commands;
        EXPECT_EQ(commands, c.commands);
        EXPECT_FALSE(fs::exists(run.outputPath));
        run.TearDown();
    }
}

// A stop during the pause before the erase is the user's last word: the run
// ends at once with code 7, the device keeps its memory, the file is whole.
TEST_F(TransferWorkerRun, StopDuringThePauseKeepsTheMemoryAndTheWholeFile) {
    startDevice({.versionReply = kFirstFormReply, .dump = buildDump(5)});
    ASSERT_TRUE(worker.startTransfer(kPort, reports.target()));
    PostedReport report;
    while (nextReport(report) && !(report.wParam == kReportProgress && report.lParam == 100)) {
        if (report.wParam == kReportDeviceFound) {
            worker.eraseAfterRead = true;
            worker.outputPath = widePath(outputPath);
            worker.proceed();
        }
    }
    ASSERT_TRUE(nextReport(report));
    ASSERT_EQ(report.wParam, kReportErasePending);
    EXPECT_EQ(report.lParam, kFastLimits.pauseBeforeEraseMs);
    sleepMs(fastMs(1000));
    uint32_t stopStart = tickCount();
    worker.stopTransfer();
    EXPECT_LT(ticksBetween(stopStart, tickCount()), fastMs(500));
    EXPECT_FALSE(worker.isRunning());
    ASSERT_TRUE(nextReport(report, fastMs(1000)));
    EXPECT_EQ(report.wParam, kReportFailed);
    EXPECT_EQ(report.lParam, kErrorStopped);
    // Past the end of the pause: nothing may come late.
    sleepMs(kFastLimits.pauseBeforeEraseMs);
    EXPECT_EQ(commandTexts(), (std::vector<std::string>{kVersionQuery, kReadLog}));
    EXPECT_NE(readFile(outputPath).find("</kml>"), std::string::npos) << "the file is whole";
}

// A stop that found no run waiting leaves the event signalled; the next run
// must still wait for its own go-ahead.
TEST_F(TransferWorkerRun, StaleGoAheadDoesNotReleaseTheNextRun) {
    startDevice({.versionReply = kFirstFormReply, .dump = buildDump(5)});
    ASSERT_TRUE(worker.startTransfer(kPort, reports.target()));
    worker.stopTransfer();
    worker.joinTransfer();
    PostedReport report;
    while (nextReport(report, fastMs(2000)) && report.wParam != kReportFailed) {
    }
    sleepMs(fastMs(100));
    result.reports.clear();
    ASSERT_TRUE(worker.startTransfer(kPort, reports.target()));
    ASSERT_TRUE(nextReport(report));
    ASSERT_EQ(report.wParam, kReportDeviceFound);
    EXPECT_FALSE(nextReport(report, fastMs(1500))) << "the run went on without a go-ahead";
    for (const std::string& command : commandTexts())
        EXPECT_NE(command, kReadLog);
    worker.outputPath = widePath(outputPath);
    worker.proceed();
    while (nextReport(report) && report.wParam == kReportProgress) {
    }
    EXPECT_EQ(report.wParam, kReportComplete);
}

// A line that reaches the port while the user chooses the output would be
// taken for part of the dump; the waiting run purges it.
TEST_F(TransferWorkerRun, WaitingDiscardsWhatTheDeviceSends) {
    startDevice({.versionReply = kFirstFormReply, .dump = buildDump(5)});
    ASSERT_TRUE(worker.startTransfer(kPort, reports.target()));
    PostedReport report;
    ASSERT_TRUE(nextReport(report));
    ASSERT_EQ(report.wParam, kReportDeviceFound);
    ASSERT_TRUE(line().send(lineOfEarlierRecords()));
    sleepMs(fastMs(2500));
    worker.outputPath = widePath(outputPath);
    worker.proceed();
    while (nextReport(report) && report.wParam == kReportProgress) {
    }
    EXPECT_EQ(report.wParam, kReportComplete) << describeReports(result.reports);
    EXPECT_EQ(worker.store().startIndex, 0);
    EXPECT_EQ(worker.store().records[60].fix, 0) << "the line sent while waiting was decoded";
}

// When no thread can be made the worker must not claim a run that will
// never clear its running flag. Memory for a thread stack is denied in a
// child process so the test process itself keeps its limits.
TEST(TransferWorkerStart, FailedThreadCreationLeavesTheWorkerIdle) {
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "sanitizers reserve address space beyond any small limit";
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer) || __has_feature(address_sanitizer)
    GTEST_SKIP() << "sanitizers reserve address space beyond any small limit";
#endif
#endif
    // A fresh process: a forked one could reuse a stack cached from an
    // earlier test's thread.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TransferWorker worker;
            std::ifstream status("/proc/self/statm");
            unsigned long pages = 0;
            status >> pages;
            rlimit limit{};
            limit.rlim_cur = limit.rlim_max =
                static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) +
                (1u << 20);
            setrlimit(RLIMIT_AS, &limit);
            bool started = worker.startTransfer(kPort, nullptr);
            std::_Exit(!started && !worker.isRunning() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
