// The worker against the real simulator on a pseudo-terminal: every outcome
// the simulator can cause, with the commands it saw.
#include "device/transfer_worker.h"

#include "device/worker_platform.h"
#include "support/fast_limits.h"
#include "support/report_capture.h"
#include "support/scoped_environment_posix.h"
#include "support/simulator_process_posix.h"
#include "support/temp_folder.h"
#include "support/transfer_outcomes.h"
#include "support/wide_text.h"

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
    int32_t port = 0; // 0: the simulator's
};

// The simulator's report lines "MS TEXT" as texts and times.
struct Received {
    std::vector<std::string> texts;
    std::vector<uint32_t> times;
};

Received receivedCommands(const SimulatorProcess& simulator) {
    Received received;
    received.texts = reportedCommands(simulator.commands());
    for (const std::string& line : simulator.commands())
        received.times.push_back(static_cast<uint32_t>(std::strtoul(line.c_str(), nullptr, 10)));
    return received;
}

// One simulator in a private HOME, the worker pointed at its ports folder
// and running in fast time (kFastLimits).
class SimulatedDevice {
public:
    explicit SimulatedDevice(const std::vector<std::string>& arguments)
        : configHome({{"XDG_CONFIG_HOME", simulator.configHome()}}) {
        std::string error;
        started = simulator.start(arguments, error);
        EXPECT_TRUE(started) << error;
    }

    ObservedRun transfer(const RunOptions& options) {
        ObservedRun run;
        const int32_t port = options.port != 0 ? options.port : simulator.portNumber();
        runWorkerToEnd(worker, port, reports,
                       {options.nmea, options.erase,
                        widePath(options.path.empty() ? outputPath() : options.path)},
                       30000, run);
        sleepMs(100); // lets the simulator log a command still in flight
        run.commands = reportedCommands(simulator.commands());
        run.fileExists = fs::exists(outputPath());
        run.fileText = readFile(outputPath());
        return run;
    }

    std::string outputPath() const { return simulator.folder() + "/track.out"; }

    SimulatorProcess simulator;
    ScopedEnvironment configHome;
    ReportCapture reports;
    TransferWorker worker{kFastLimits};
    bool started = false;
};

} // namespace

// Every row of the outcome table that the simulator can cause.
TEST(TransferWorkerWithSimulator, EveryOutcomeTheDeviceCanCause) {
    for (const TransferOutcome& row : outcomesFor("sim")) {
        SCOPED_TRACE(row.cause);
        SimulatedDevice device(fastDeviceOptions(row.device));
        ASSERT_TRUE(device.started);
        ObservedRun run = device.transfer({row.nmea, row.erase, posixOutputPath(row.target),
                                           row.unknownPort ? kPortOfNoDevice : 0});
        expectOutcome(row, run, kFastLimits);
    }
}

// Paced like the real line: the erase command follows the finished file by
// the whole pause, and the device's memory is empty afterwards.
TEST(TransferWorkerWithSimulator, EraseEmptiesTheDeviceAWholePauseAfterTheFile) {
    SimulatedDevice device({"--no-chatter", "--generate", "60"});
    ASSERT_TRUE(device.started);
    ObservedRun first = device.transfer({false, true, ""});
    ASSERT_TRUE(first.ended);
    EXPECT_EQ(first.reports.back().wParam, kReportComplete) << describeReports(first.reports);
    EXPECT_EQ(first.reports.back().lParam, 1);
    Received received = receivedCommands(device.simulator);
    ASSERT_EQ(received.texts, (std::vector<std::string>{"$PZOR,V", "$PZOR,R", "$PZOR,C"}));
    // The dump takes its wire time after the read-log command; the erase
    // comes a whole pause after its end on top of that.
    EXPECT_GE(received.times[2] - received.times[1], kFastLimits.pauseBeforeEraseMs);

    ObservedRun second = device.transfer({});
    ASSERT_TRUE(second.ended);
    EXPECT_EQ(second.reports.back().wParam, kReportFailed) << describeReports(second.reports);
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
