#pragma once

#include "device/report_queue.h"
#include "device/transfer_time_limits.h"
#include "device/transfer_worker.h"
#include "support/cwstr.h"
#include "support/report_capture.h"

#include <cstdint>
#include <string>
#include <vector>

// The outcome table (tests/data/transfer_outcomes.txt): every cause a
// transfer can end with, the device's set-up that causes it, and how the
// run must end. Each suite runs the rows marked for it in its own way and
// checks what it saw with expectOutcome().

// Where the run's output file goes.
enum class OutputTarget { FreshFile, MissingFolder, FullDisk };

// The time limit a run waits out before it ends.
// ModuleSearch: the detection, then a module's release query at six rates.
enum class WaitedLimit { None, Detection, DumpSilence, PauseBeforeErase, ModuleSearch };

struct TransferOutcome {
    std::string cause;
    std::vector<std::string> suites;
    bool nmea = false;
    bool erase = false;
    OutputTarget target = OutputTarget::FreshFile;
    bool unknownPort = false;
    bool lateGoAhead = false;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    // "$PZOR,V" and so on, in the order received.
    std::vector<std::string> commands;
    bool fileWritten = false;
    WaitedLimit lasts = WaitedLimit::None;
    // zor7700-sim options, one word each.
    std::vector<std::string> device;

    bool runsIn(const std::string& suite) const;
};

// A port number that names no device, on Linux and under Wine.
constexpr int32_t kPortOfNoDevice = 250;
// Where a POSIX run writes its file: empty for a fresh file of the suite's.
std::string posixOutputPath(OutputTarget target);

// One row of the table; false (with the reason in `error`) for a line that
// does not read as one.
bool parseOutcomeRow(const std::string& line, TransferOutcome& row, std::string& error);
// The rows of the table marked for `suite`, in file order; a row that does
// not read fails the calling test.
std::vector<TransferOutcome> outcomesFor(const std::string& suite);

// What a suite saw of one run.
struct ObservedRun {
    std::vector<PostedReport> reports; // in posting order, the final one last
    bool ended = false;                // a final report came in time
    uint32_t elapsedMs = 0;            // from startTransfer to the final report
    bool stillRunning = false;
    std::vector<std::string> commands; // as the device received them: "$PZOR,V"
    bool fileExists = false;
    std::string fileText;
};

// What a run is given on "device found", as the wizard hands it over.
struct GoAhead {
    bool nmea = false;
    bool erase = false;
    CWStr path;
    uint32_t delayMs = 0; // how long the user takes to choose
};

// Starts `worker` on `port`, posting to `reports`; hands `goAhead` over on
// "device found" and adds each report to `run` until the final one, or until
// none came for `reportTimeoutMs`; then waits for the worker's thread.
void runWorkerToEnd(TransferWorker& worker, int32_t port, ReportCapture& reports,
                    const GoAhead& goAhead, uint32_t reportTimeoutMs, ObservedRun& run);

// Checks a run against its row: the final report and the error it leaves,
// device found first and progress rising in between, the commands, the file
// and the time limit it waited out.
void expectOutcome(const TransferOutcome& row, const ObservedRun& run,
                   const TransferTimeLimits& limits);

// The device options with every delay in fast time (fastMs), for the
// simulator of a suite that runs the worker with kFastLimits.
std::vector<std::string> fastDeviceOptions(const std::vector<std::string>& options);

// The words of a text, split at spaces.
std::vector<std::string> words(const std::string& text);
// The reports as "3 4:0 4:50 0:1" for readable failures.
std::string describeReports(const std::vector<PostedReport>& reports);
// The sentence of a received command line without its checksum and line end
// ("$PZOR,V*6D\r\n" is "$PZOR,V"); a line whose checksum is wrong stays whole.
std::string commandText(const std::string& line);
// The commands of a simulator's command report ("MS TEXT" lines).
std::vector<std::string> reportedCommands(const std::vector<std::string>& reportLines);
