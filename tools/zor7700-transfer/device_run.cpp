#include "device_run.h"

#include "console.h"
#include "report_pump.h"
#include "tool_text.h"

#include "device/serial_port.h"
#include "device/transfer_worker.h"
#include "output/output_file.h"

#include <cstdio>
#include <memory>

namespace {

// The wizard's "Internal Error #033." for a run that could not even start.
constexpr int32_t kErrorNoRun = 6;

// Keeps the raw dump and remembers whether any write to it failed: the worker
// does not look at the results.
class RawDumpFile final : public ByteSink {
public:
    bool create(const std::string& path) { return file.create(pathText(path)); }
    bool write(const void* data, uint32_t size) override {
        failed = !file.write(data, size) || failed;
        return !failed;
    }
    bool commit() { return file.commit() && !failed; }

private:
    OutputFile file;
    bool failed = false;
};

// Hands the output options over and lets the run read the log.
void goAhead(TransferWorker& worker, const TransferOptions& options, RawDumpFile* raw) {
    worker.nmeaOutput = options.nmeaOutput;
    worker.eraseAfterRead = options.erase;
    worker.outputPath = pathText(options.outputPath);
    worker.rawDumpSink = raw;
    worker.proceed();
}

} // namespace

int32_t runDeviceTransfer(const TransferOptions& options, ProgressDisplay& display, bool& erased) {
    std::unique_ptr<RawDumpFile> raw;
    if (!options.rawPath.empty()) {
        raw = std::make_unique<RawDumpFile>();
        if (!raw->create(options.rawPath))
            return kErrorCreateFile;
    }
    ReportPump pump;
    auto worker = std::make_unique<TransferWorker>();
    if (pump.target() == nullptr || !worker->startTransfer(options.portNumber, pump.target())) {
        return kErrorNoRun;
    }
    watchInterrupt();
    int32_t outcome = -1;
    bool stopSent = false;
    while (outcome < 0) {
        if (interruptRequested() && !stopSent) {
            stopSent = true;
            worker->stopTransfer();
        }
        PostedReport report{};
        if (!pump.next(report, 100))
            continue;
        switch (report.wParam) {
        case kReportDeviceFound:
            display.deviceFound(options.portNumber);
            goAhead(*worker, options, raw.get());
            break;
        case kReportProgress:
            display.progress(static_cast<int32_t>(report.lParam));
            break;
        case kReportComplete:
            erased = report.lParam == 1;
            outcome = kErrorNone;
            break;
        case kReportFailed:
            outcome = static_cast<int32_t>(report.lParam);
            break;
        }
    }
    worker->joinTransfer();
    display.finish();
    // The wizard's message stays one for every cause; the tool names it.
    std::string why = outcome == kErrorOpenPort ? lastPortOpenFailure() : std::string();
    if (!why.empty())
        std::fprintf(stderr, "zor7700-transfer: %s\n", why.c_str());
    if (outcome == kErrorNone && raw && !raw->commit())
        return kErrorWriteFile;
    return outcome;
}
