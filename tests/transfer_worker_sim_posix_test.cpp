// The worker against the real simulator on a pseudo-terminal: every outcome
// the simulator can cause, with the commands it saw.
#include "device/transfer_worker.h"

#include "device/worker_platform.h"
#include "support/report_capture.h"
#include "support/simulator_process_posix.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// Options name only what a case changes.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

struct RunOptions {
    bool nmea = false;
    bool erase = false;
    std::string path; // empty: a file in the simulator's private folder
};

struct RunResult {
    std::vector<PostedReport> reports;
    bool ended = false;
};

// The simulator's report lines "MS TEXT" as texts and times.
struct Received {
    std::vector<std::string> texts;
    std::vector<uint32_t> times;
};

Received receivedCommands(const SimulatorProcess& simulator) {
    Received received;
    for (const std::string& line : simulator.commands()) {
        size_t space = line.find(' ');
        received.times.push_back(static_cast<uint32_t>(std::strtoul(line.c_str(), nullptr, 10)));
        received.texts.push_back(line.substr(space + 1));
    }
    return received;
}

CWStr widePath(const std::string& path) {
    std::u16string wide(path.begin(), path.end());
    return CWStr(wide.c_str());
}

std::string describe(const std::vector<PostedReport>& list) {
    std::string text;
    for (const PostedReport& r : list)
        text += " " + std::to_string(r.wParam) + ":" + std::to_string(r.lParam);
    return text;
}

// One simulator in a private HOME, the worker pointed at its ports folder.
class SimulatedDevice {
public:
    explicit SimulatedDevice(const std::vector<std::string>& arguments) {
        std::string error;
        started = simulator.start(arguments, error);
        EXPECT_TRUE(started) << error;
        const char* previous = std::getenv("XDG_CONFIG_HOME");
        if (previous != nullptr)
            savedConfigHome = previous;
        setenv("XDG_CONFIG_HOME", simulator.configHome().c_str(), 1);
    }
    ~SimulatedDevice() {
        if (savedConfigHome.empty())
            unsetenv("XDG_CONFIG_HOME");
        else
            setenv("XDG_CONFIG_HOME", savedConfigHome.c_str(), 1);
    }

    RunResult transfer(const RunOptions& options) {
        RunResult run;
        EXPECT_TRUE(worker.startTransfer(simulator.portNumber(), reports.target()));
        PostedReport report;
        while (reports.waitNext(report, 30000)) {
            run.reports.push_back(report);
            if (report.wParam == kReportDeviceFound) {
                worker.nmeaOutput = options.nmea;
                worker.eraseAfterRead = options.erase;
                worker.outputPath = widePath(options.path.empty() ? outputPath() : options.path);
                worker.proceed();
            }
            if (report.wParam == kReportComplete || report.wParam == kReportFailed) {
                run.ended = true;
                break;
            }
        }
        worker.joinTransfer();
        sleepMs(150); // lets the simulator log a command still in flight
        return run;
    }

    std::string outputPath() const { return simulator.folder() + "/track.out"; }

    SimulatorProcess simulator;
    ReportCapture reports;
    TransferWorker worker;
    bool started = false;

private:
    std::string savedConfigHome;
};

const std::vector<std::string> kQueryOnly = {"$PZOR,V"};
const std::vector<std::string> kQueryAndRead = {"$PZOR,V", "$PZOR,R"};

} // namespace

TEST(TransferWorkerWithSimulator, EveryOutcomeTheDeviceCanCause) {
    struct Case {
        const char* name;
        std::vector<std::string> simulatorArguments;
        RunOptions options;
        uintptr_t wParam;
        intptr_t lParam;
        std::vector<std::string> commands;
        bool fileExpected;
    } cases[] = {
        {"KML at full speed", {"--fast"}, {}, kReportComplete, 0, kQueryAndRead, true},
        {"NMEA, second reply form",
         {"--fast", "--reply", "second"},
         {true, false, ""},
         kReportComplete,
         0,
         kQueryAndRead,
         true},
        {"no reply", {"--reply", "none"}, {}, kReportFailed, kErrorNoDevice, kQueryOnly, false},
        {"a reply of another form",
         {"--reply", "wrong"},
         {},
         kReportFailed,
         kErrorNoDevice,
         kQueryOnly,
         false},
        {"a reply with a bad checksum",
         {"--reply", "bad-checksum"},
         {},
         kReportFailed,
         kErrorNoDevice,
         kQueryOnly,
         false},
        {"a reply 1300 ms late",
         {"--reply-delay", "1300"},
         {},
         kReportFailed,
         kErrorNoDevice,
         kQueryOnly,
         false},
        {"a reply 300 ms late is in time",
         {"--fast", "--reply-delay", "300"},
         {},
         kReportComplete,
         0,
         kQueryAndRead,
         true},
        {"silence in the dump",
         {"--fast", "--silence-after", "5"},
         {false, true, ""},
         kReportFailed,
         kErrorRead,
         kQueryAndRead,
         false},
        {"hang-up in the dump",
         {"--fast", "--hangup-after", "5"},
         {false, true, ""},
         kReportFailed,
         kErrorRead,
         kQueryAndRead,
         false},
        {"an empty log",
         {"--fast", "--empty"},
         {false, true, ""},
         kReportFailed,
         kErrorNoTracks,
         kQueryAndRead,
         false},
        {"repeated and swapped lines and a short final line are a whole dump",
         {"--fast", "--repeat-line", "5", "--swap-line", "7", "--short-final-line"},
         {false, true, ""},
         kReportComplete,
         kCompleteMemoryErased,
         {"$PZOR,V", "$PZOR,R", "$PZOR,C"},
         true},
        {"corrupt and dropped lines still give a track, but keep the memory",
         {"--fast", "--corrupt-every", "4", "--drop-line", "2"},
         {false, true, ""},
         kReportComplete,
         kCompleteFromIncompleteDump,
         kQueryAndRead,
         true},
        {"an output folder that does not exist",
         {"--fast"},
         {false, true, "/nonexistent-zor-folder/t.kml"},
         kReportFailed,
         kErrorCreateFile,
         kQueryAndRead,
         false},
        {"a full disk: error 5 and no erase",
         {"--fast"},
         {false, true, "/dev/full"},
         kReportFailed,
         kErrorWriteFile,
         kQueryAndRead,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedDevice device(c.simulatorArguments);
        ASSERT_TRUE(device.started);
        RunResult run = device.transfer(c.options);
        ASSERT_TRUE(run.ended) << describe(run.reports);
        EXPECT_EQ(run.reports.back().wParam, c.wParam) << describe(run.reports);
        EXPECT_EQ(run.reports.back().lParam, c.lParam) << describe(run.reports);
        EXPECT_EQ(receivedCommands(device.simulator).texts, c.commands);
        EXPECT_EQ(fs::exists(device.outputPath()), c.fileExpected);
    }
}

// Paced like the real line: the erase command follows the finished file by
// 5000 ms, and the device's memory is empty afterwards.
TEST(TransferWorkerWithSimulator, EraseEmptiesTheDeviceFiveSecondsAfterTheFile) {
    SimulatedDevice device({"--no-chatter"});
    ASSERT_TRUE(device.started);
    RunResult first = device.transfer({false, true, ""});
    ASSERT_TRUE(first.ended);
    EXPECT_EQ(first.reports.back().wParam, kReportComplete) << describe(first.reports);
    EXPECT_EQ(first.reports.back().lParam, 1);
    Received received = receivedCommands(device.simulator);
    ASSERT_EQ(received.texts, (std::vector<std::string>{"$PZOR,V", "$PZOR,R", "$PZOR,C"}));
    // The dump of the built-in log takes its wire time after the read-log
    // command; the erase comes 5000 ms after the end on top of that.
    EXPECT_GE(received.times[2] - received.times[1], 5000u);

    RunResult second = device.transfer({});
    ASSERT_TRUE(second.ended);
    EXPECT_EQ(second.reports.back().wParam, kReportFailed) << describe(second.reports);
    EXPECT_EQ(second.reports.back().lParam, kErrorNoTracks);
}

TEST(TransferWorkerWithSimulator, SecondOpenOfTheBusyPortFails) {
    SimulatedDevice device({});
    ASSERT_TRUE(device.started);
    ASSERT_TRUE(
        device.worker.startTransfer(device.simulator.portNumber(), device.reports.target()));
    PostedReport report;
    ASSERT_TRUE(device.reports.waitNext(report, 5000));
    ASSERT_EQ(report.wParam, kReportDeviceFound);
    SerialPort second;
    EXPECT_FALSE(second.open(device.simulator.portNumber()));
    device.worker.stopTransfer();
    ASSERT_TRUE(device.reports.waitNext(report, 5000));
    EXPECT_EQ(report.lParam, kErrorStopped);
    device.worker.joinTransfer();
    EXPECT_TRUE(second.open(device.simulator.portNumber())) << "free again after the run";
}
