#include "device_run.h"

#include "console.h"
#include "report_pump.h"

#include "device/serial_port.h"
#include "device/transfer_worker.h"
#include "support/output_file.h"
#include "support/utf8_text.h"

#include <cstdio>
#include <memory>

namespace {

// Hands the output options over and lets the run read the log.
void goAhead(TransferWorker& worker, const TransferOptions& options, OutputFile* raw) {
    worker.trackFormat = options.trackFormat;
    worker.eraseAfterRead = options.erase;
    worker.outputPath = textFromUtf8(options.outputPath);
    worker.rawDumpSink = raw;
    worker.proceed();
}

void finish(const PostedReport& report, RunOutcome& outcome) {
    if (report.wParam == kReportFailed) {
        outcome.code = static_cast<int32_t>(report.lParam);
        return;
    }
    outcome.erased = report.lParam == kCompleteMemoryErased;
    outcome.notes.detail = static_cast<CompletionDetail>(report.lParam);
    switch (report.lParam) {
    case kCompleteFromIncompleteDump:
        outcome.code = kExitIncompleteDump;
        break;
    case kCompleteEraseUnconfirmed:
        outcome.code = kExitEraseUnconfirmed;
        break;
    default:
        outcome.code = kErrorNone;
    }
}

// A run that only asks the device's status or changes its logging is done
// once the device is found (and its logging changed): nothing is read.
void deviceFound(TransferWorker& worker, const TransferOptions& options, OutputFile* raw,
                 ProgressDisplay& display, RunOutcome& outcome) {
    outcome.notes.device = worker.device();
    if (!options.managesDevice()) {
        display.deviceFound(options.portNumber, outcome.notes.device);
        goAhead(worker, options, raw);
        return;
    }
    outcome.managed = true;
    worker.stopTransfer();
}

// One report of the run; true for its final one.
bool handleReport(const PostedReport& report, TransferWorker& worker,
                  const TransferOptions& options, OutputFile* raw, ProgressDisplay& display,
                  RunOutcome& outcome) {
    switch (report.wParam) {
    case kReportDeviceFound:
        deviceFound(worker, options, raw, display, outcome);
        return false;
    case kReportProgress:
        display.progress(static_cast<int32_t>(report.lParam));
        return false;
    case kReportErasePending:
        display.erasePending(static_cast<int32_t>(report.lParam / 1000));
        return false;
    case kReportComplete:
    case kReportFailed:
        finish(report, outcome);
        return true;
    default:
        return false;
    }
}

// The reports of a started run up to its final one; a stop asked for on the
// terminal is passed on once.
void followRun(TransferWorker& worker, ReportPump& pump, const TransferOptions& options,
               OutputFile* raw, ProgressDisplay& display, RunOutcome& outcome) {
    bool stopSent = false;
    for (bool ended = false; !ended;) {
        if (interruptRequested() && !stopSent) {
            stopSent = true;
            worker.stopTransfer();
        }
        PostedReport report{};
        ended =
            pump.next(report, 100) && handleReport(report, worker, options, raw, display, outcome);
    }
    worker.joinTransfer();
}

// The wizard's message stays one for every cause; the tool names it.
void explainPortFailure(const RunOutcome& outcome) {
    const std::string why = outcome.code == kErrorOpenPort ? lastPortOpenFailure() : std::string();
    if (!why.empty())
        std::fprintf(stderr, "zor7700-transfer: %s\n", why.c_str());
}

} // namespace

RunOutcome runDeviceTransfer(const TransferOptions& options, ProgressDisplay& display,
                             const TransferTimeLimits& limits) {
    RunOutcome outcome;
    std::unique_ptr<OutputFile> raw;
    if (!options.rawPath.empty()) {
        raw = std::make_unique<OutputFile>();
        if (!raw->create(textFromUtf8(options.rawPath))) {
            outcome.code = kErrorCreateFile;
            return outcome;
        }
    }
    ReportPump pump;
    auto worker = std::make_unique<TransferWorker>(limits);
    worker->search = options.search;
    worker->loggingRequest = options.logging;
    if (pump.target() == nullptr || !worker->startTransfer(options.portNumber, pump.target())) {
        outcome.code = kErrorNoRun;
        return outcome;
    }
    followRun(*worker, pump, options, raw.get(), display, outcome);
    // The stop that ended a run with nothing to read is no failure.
    if (outcome.managed && outcome.code == kErrorStopped)
        outcome.code = kErrorNone;
    outcome.notes.dump = worker->completeness();
    outcome.notes.layout = worker->layout();
    outcome.notes.lineRateRestored = worker->lineRateRestored();
    outcome.refusedCommand = worker->refusedCommand();
    outcome.refusedFlag = worker->refusedFlag();
    display.finish();
    explainPortFailure(outcome);
    return outcome;
}
