// The Windows worker against the native simulator: each test expects the
// simulator that run_transfer_worker_wine.sh started for it on the COM port
// named by ZOR_WINE_PORT (the pseudo-terminal mapped through the Wine prefix).
#include "device/transfer_worker.h"

#include "device/serial_port.h"
#include "device/worker_platform.h"
#include "support/report_capture.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

int32_t simulatorPort() {
    const char* text = std::getenv("ZOR_WINE_PORT");
    return text != nullptr ? std::atoi(text) : -1;
}

struct Outcome {
    std::vector<PostedReport> reports;
    uint32_t elapsedMs = 0;
    bool ended = false;
};

class WineTransfer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_GT(simulatorPort(), 0) << "ZOR_WINE_PORT is not set"; }
    void TearDown() override {
        worker.stopTransfer();
        worker.joinTransfer();
    }

    // A whole run; the options are handed over on "device found".
    Outcome run(bool nmea, bool erase, const CWStr& path, int32_t port = simulatorPort()) {
        Outcome outcome;
        uint32_t start = tickCount();
        EXPECT_TRUE(worker.startTransfer(port, reports.target()));
        PostedReport report;
        while (reports.waitNext(report, 30000)) {
            outcome.reports.push_back(report);
            if (report.wParam == kReportDeviceFound) {
                worker.nmeaOutput = nmea;
                worker.eraseAfterRead = erase;
                worker.outputPath = path;
                worker.proceed();
            }
            if (report.wParam == kReportComplete || report.wParam == kReportFailed) {
                outcome.ended = true;
                break;
            }
        }
        outcome.elapsedMs = tickCount() - start;
        worker.joinTransfer();
        return outcome;
    }

    static std::string describe(const std::vector<PostedReport>& list) {
        std::string text;
        for (const PostedReport& r : list)
            text += " " + std::to_string(r.wParam) + ":" + std::to_string(r.lParam);
        return text;
    }

    void expectEnd(const Outcome& outcome, uintptr_t wParam, intptr_t lParam) {
        ASSERT_TRUE(outcome.ended) << describe(outcome.reports);
        EXPECT_EQ(outcome.reports.back().wParam, wParam) << describe(outcome.reports);
        EXPECT_EQ(outcome.reports.back().lParam, lParam) << describe(outcome.reports);
    }

    ReportCapture reports;
    TransferWorker worker;
    TempFolder folder;
};

} // namespace

// Simulator: default (first reply form, built-in log).
TEST_F(WineTransfer, CompleteKmlWithRisingProgress) {
    Outcome outcome = run(false, false, folder.pathOf(u"track.kml"));
    expectEnd(outcome, kReportComplete, 0);
    const std::vector<PostedReport>& list = outcome.reports;
    ASSERT_GE(list.size(), 3u);
    EXPECT_EQ(list.front().wParam, kReportDeviceFound);
    for (size_t i = 1; i + 1 < list.size(); ++i) {
        EXPECT_EQ(list[i].wParam, kReportProgress) << describe(list);
        if (i > 1) {
            EXPECT_GT(list[i].lParam, list[i - 1].lParam) << describe(list);
        }
    }
    std::string kml = readFile(folder.path() / "track.kml");
    EXPECT_EQ(kml.rfind("<?xml", 0), 0u);
    EXPECT_NE(kml.find("</kml>"), std::string::npos);
}

// Simulator: default; the script checks that "$PZOR,C" arrived.
TEST_F(WineTransfer, CompleteNmeaWithErase) {
    Outcome outcome = run(true, true, folder.pathOf(u"track.nmea"));
    expectEnd(outcome, kReportComplete, 1);
    EXPECT_GE(outcome.elapsedMs, 5000u) << "the erase waits 5000 ms after the file";
    EXPECT_NE(readFile(folder.path() / "track.nmea").find("$GPRMC"), std::string::npos);
}

// Simulator: --reply none.
TEST_F(WineTransfer, SilentDeviceIsNoZor7700) {
    Outcome outcome = run(false, false, folder.pathOf(u"x.kml"));
    expectEnd(outcome, kReportFailed, kErrorNoDevice);
    EXPECT_GE(outcome.elapsedMs, 1000u - 16u) << "one tick step of slack";
    EXPECT_LT(outcome.elapsedMs, 3000u);
}

// Simulator: --reply wrong.
TEST_F(WineTransfer, WrongReplyIsNoZor7700) {
    expectEnd(run(false, false, folder.pathOf(u"x.kml")), kReportFailed, kErrorNoDevice);
}

// Simulator: --reply second.
TEST_F(WineTransfer, SecondReplyFormIsAccepted) {
    expectEnd(run(false, false, folder.pathOf(u"x.kml")), kReportComplete, 0);
}

// Simulator: --silence-after 20.
TEST_F(WineTransfer, DumpSilenceIsAReadError) {
    Outcome outcome = run(false, false, folder.pathOf(u"x.kml"));
    expectEnd(outcome, kReportFailed, kErrorRead);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "x.kml"));
}

// Simulator: --hangup-after 20.
TEST_F(WineTransfer, HangUpInTheDumpIsAReadError) {
    expectEnd(run(false, false, folder.pathOf(u"x.kml")), kReportFailed, kErrorRead);
}

// Simulator: --empty.
TEST_F(WineTransfer, EmptyLogHasNoTracks) {
    expectEnd(run(false, true, folder.pathOf(u"x.kml")), kReportFailed, kErrorNoTracks);
}

// Simulator: default.
TEST_F(WineTransfer, MissingFolderFailsTheFile) {
    expectEnd(run(false, true, folder.pathOf(u"missing\\x.kml")), kReportFailed, kErrorCreateFile);
}

// Simulator: default; the script checks that no "$PZOR,C" arrived.
TEST_F(WineTransfer, FullDiskFailsTheWriteAndKeepsTheLog) {
    expectEnd(run(true, true, CWStr(u"Z:\\dev\\full")), kReportFailed, kErrorWriteFile);
}

// Simulator: none needed; the number names no port.
TEST_F(WineTransfer, UnknownPortFailsToOpen) {
    expectEnd(run(false, false, folder.pathOf(u"x.kml"), 249), kReportFailed, kErrorOpenPort);
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
    // A pseudo-terminal holds about 64 KB; until then every write returns at once.
    for (int i = 0; i < 2000; ++i) {
        const uint32_t start = tickCount();
        const bool written = port.write(chunk.data(), static_cast<uint32_t>(chunk.size()));
        if (tickCount() - start >= 1000) {
            EXPECT_FALSE(written) << "write " << i << " timed out and reported success";
            return;
        }
        ASSERT_TRUE(written) << "write " << i;
    }
    FAIL() << "200 KB went into a line that nobody reads";
}
