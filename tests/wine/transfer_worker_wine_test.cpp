// The Windows worker against the native simulator: each test expects the
// simulator that run_transfer_worker_wine.sh started for it on the COM port
// named by ZOR_WINE_PORT (the pseudo-terminal mapped through the Wine prefix),
// and OutcomeOfTheRow the row of the outcome table it was started for.
#include "device/transfer_worker.h"

#include "device/serial_port.h"
#include "device/worker_platform.h"
#include "support/fast_limits.h"
#include "support/report_capture.h"
#include "support/temp_folder.h"
#include "support/transfer_outcomes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

int32_t simulatorPort() {
    const char* text = std::getenv("ZOR_WINE_PORT");
    return text != nullptr ? std::atoi(text) : -1;
}

// The command report's lines ("MS TEXT") of the simulator behind the test.
std::vector<std::string> commandReportLines() {
    const char* path = std::getenv("ZOR_COMMAND_REPORT");
    std::istringstream report(path != nullptr ? readFile(path) : std::string());
    std::vector<std::string> lines;
    for (std::string line; std::getline(report, line);)
        lines.push_back(line);
    return lines;
}

class WineTransfer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_GT(simulatorPort(), 0) << "ZOR_WINE_PORT is not set"; }
    void TearDown() override {
        worker.stopTransfer();
        worker.joinTransfer();
    }

    // A whole run; the options are handed over on "device found".
    ObservedRun run(bool nmea, bool erase, const CWStr& path, int32_t port) {
        ObservedRun outcome;
        runWorkerToEnd(worker, port, reports, {.nmea = nmea, .erase = erase, .path = path}, 30000,
                       outcome);
        return outcome;
    }

    ReportCapture reports;
    TransferWorker worker;
    TempFolder folder;
};

} // namespace

// Simulator: as the row's device column says.
TEST_F(WineTransfer, OutcomeOfTheRow) {
    const char* line = std::getenv("ZOR_OUTCOME");
    ASSERT_NE(line, nullptr) << "ZOR_OUTCOME is not set";
    TransferOutcome row;
    std::string error;
    ASSERT_TRUE(parseOutcomeRow(line, row, error)) << error << ": " << line;
    SCOPED_TRACE(row.cause);
    CWStr path = folder.pathOf(u"track.out");
    if (row.target == OutputTarget::MissingFolder)
        path = folder.pathOf(u"missing\\x.kml");
    if (row.target == OutputTarget::FullDisk)
        path = CWStr(u"Z:\\dev\\full");
    ObservedRun observed =
        run(row.nmea, row.erase, path, row.unknownPort ? kPortOfNoDevice : simulatorPort());
    sleepMs(150); // lets the simulator log a command still in flight
    observed.commands = reportedCommands(commandReportLines());
    observed.fileExists = std::filesystem::exists(folder.path() / "track.out");
    observed.fileText = readFile(folder.path() / "track.out");
    expectOutcome(row, observed, kRealLimits);
}

// Simulator: default. (Wine does not enforce the share mode on COM devices,
// so a second open is tested on Linux only.)
TEST_F(WineTransfer, StopWhileWaiting) {
    ASSERT_TRUE(worker.startTransfer(simulatorPort(), reports.target()));
    PostedReport report;
    ASSERT_TRUE(reports.waitNext(report, 5000));
    ASSERT_EQ(report.wParam, kReportDeviceFound);
    uint32_t start = tickCount();
    worker.stopTransfer();
    EXPECT_LT(tickCount() - start, 1500u);
    ASSERT_TRUE(reports.waitNext(report, 5000));
    EXPECT_EQ(report.wParam, kReportFailed);
    EXPECT_EQ(report.lParam, kErrorStopped);
}

// Simulator: default (paced); stops once the progress has passed 10 %.
TEST_F(WineTransfer, StopWhileDumping) {
    ASSERT_TRUE(worker.startTransfer(simulatorPort(), reports.target()));
    PostedReport report;
    while (reports.waitNext(report, 10000)) {
        if (report.wParam == kReportDeviceFound) {
            worker.outputPath = folder.pathOf(u"x.kml");
            worker.proceed();
        }
        if (report.wParam == kReportProgress && report.lParam > 10)
            break;
        ASSERT_NE(report.wParam, kReportFailed) << report.lParam;
    }
    worker.stopTransfer();
    PostedReport last{};
    while (reports.waitNext(report, 2000))
        last = report;
    EXPECT_EQ(last.wParam, kReportFailed);
    EXPECT_EQ(last.lParam, kErrorStopped);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "x.kml"));
}

// Simulator: --fast; the script checks that no "$PZOR,C" arrived.
TEST_F(WineTransfer, StopInThePauseKeepsTheMemory) {
    ASSERT_TRUE(worker.startTransfer(simulatorPort(), reports.target()));
    PostedReport report;
    while (reports.waitNext(report, 10000) && report.wParam != kReportErasePending) {
        if (report.wParam == kReportDeviceFound) {
            worker.eraseAfterRead = true;
            worker.outputPath = folder.pathOf(u"x.kml");
            worker.proceed();
        }
        ASSERT_NE(report.wParam, kReportFailed) << report.lParam;
    }
    worker.stopTransfer();
    ASSERT_TRUE(reports.waitNext(report, 2000));
    EXPECT_EQ(report.lParam, kErrorStopped);
    sleepMs(5500);
    EXPECT_NE(readFile(folder.path() / "x.kml").find("</kml>"), std::string::npos);
}

// Simulator: stopped (SIGSTOP), so nothing drains the line. The write that
// finds it full waits out its time-out with part of its bytes sent: a failure.
TEST_F(WineTransfer, PartialWriteIsAFailure) {
    SerialPort port;
    ASSERT_TRUE(port.open(simulatorPort()));
    const std::vector<uint8_t> chunk(100, 'x');
    const uint32_t timeoutMs = SerialPort::kWriteTimeoutMs + static_cast<uint32_t>(chunk.size()) *
                                                                 SerialPort::kWriteTimeoutPerByteMs;
    // A pseudo-terminal holds about 64 KB; until then writes succeed, if
    // slowly on a busy machine, and the first one that meets a full line
    // must fail. One that outlasts its time-out and succeeds has ignored
    // what it could not send.
    for (int i = 0; i < 2000; ++i) {
        const uint32_t start = tickCount();
        if (!port.write(chunk.data(), static_cast<uint32_t>(chunk.size())))
            return;
        ASSERT_LT(tickCount() - start, timeoutMs)
            << "write " << i << " timed out and reported success";
    }
    FAIL() << "200 KB went into a line that nobody reads";
}
