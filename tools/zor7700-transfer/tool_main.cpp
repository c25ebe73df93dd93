#include "tool_main.h"

#include "capture_conversion.h"
#include "console.h"
#include "device_run.h"
#include "path_checks.h"
#include "progress_display.h"
#include "transfer_options.h"

#include "device/transfer_texts.h"
#include "device/transfer_worker.h"
#include "support/utf8_text.h"
#include "tools/common/port_list_print.h"

#include <cstdio>

namespace {

int usageError(const std::string& message) {
    std::fprintf(stderr, "zor7700-transfer: %s\nTry zor7700-transfer --help.\n", message.c_str());
    return kExitUsage;
}

void printText(FILE* stream, const CWStr& text) {
    std::fprintf(stream, "%s\n", utf8FromUtf16(text.c_str()).c_str());
}

const char* flagMeaning(int32_t flag) {
    constexpr const char* kMeanings[] = {"invalid", "unsupported", "valid but failed", "succeeded"};
    return flag >= 0 && flag < 4 ? kMeanings[flag] : "unknown";
}

// A status run's line goes to standard output: it is what was asked for.
void reportManaged(const TransferOptions& options, const RunOutcome& outcome) {
    if (options.status) {
        const CWStr line = DeviceStatusText(outcome.notes.device);
        printText(stdout, line.IsEmpty() ? CWStr(u"ZOR 7700: it keeps no log status") : line);
        return;
    }
    if (options.logging.intervalSeconds > 0)
        std::fprintf(stderr, "Logging interval set to %d s.\n", options.logging.intervalSeconds);
    if (options.logging.start || options.logging.stop)
        std::fprintf(stderr, "Logging %s.\n", options.logging.start ? "started" : "stopped");
}

// The wizard's words for the outcome; a damaged dump also says what was lost.
void reportOutcome(const TransferOptions& options, const RunOutcome& outcome) {
    switch (outcome.code) {
    case kErrorNone:
    case kExitIncompleteDump:
    case kExitEraseUnconfirmed:
        if (outcome.managed) {
            reportManaged(options, outcome);
            break;
        }
        printText(stderr, CWStr(CompletionText(outcome.erased)));
        if (const CWStr warning = CompletionWarning(outcome.notes); !warning.IsEmpty())
            printText(stderr, warning);
        break;
    case kExitNoCapture:
        std::fprintf(stderr, "zor7700-transfer: cannot read %s\n", options.capturePath.c_str());
        break;
    case kErrorNotSupported:
        std::fprintf(stderr, "zor7700-transfer: the ZOR 7700 has no logging commands; "
                             "--start-logging, --stop-logging and --interval are for LOCUS "
                             "modules\n");
        break;
    case kErrorRefused:
        if (outcome.refusedFlag < 0) {
            std::fprintf(stderr, "zor7700-transfer: the logger did not acknowledge $PMTK%03d\n",
                         outcome.refusedCommand);
        } else {
            std::fprintf(stderr, "zor7700-transfer: the logger refused $PMTK%03d (flag %d: %s)\n",
                         outcome.refusedCommand, outcome.refusedFlag,
                         flagMeaning(outcome.refusedFlag));
        }
        break;
    default:
        printText(stderr, CWStr(ErrorText(outcome.code)));
        if (outcome.code == kErrorRead && outcome.notes.dump.isDamaged())
            printText(stderr, DamagedDumpText(outcome.notes.dump));
        break;
    }
}

} // namespace

int toolMain(const std::vector<std::string>& arguments, const TransferTimeLimits& limits) {
    guardStandardStreams();
    // From here a stop ends a run cleanly: no erase, temporary files gone.
    watchInterrupt();
    TransferOptions options;
    std::string error;
    if (!parseTransferOptions(arguments, options, error))
        return usageError(error);
    if (options.help) {
        std::fputs(transferUsage().c_str(), stdout);
        return 0;
    }
    if (options.listPorts) {
        printPortList(stdout);
        return 0;
    }
    RunOutcome outcome;
    outcome.code = checkPaths(options, error);
    if (outcome.code == kExitUsage)
        return usageError(error);
    if (outcome.code == kErrorNone && options.capturePath.empty()) {
        ProgressDisplay display(stderr, messagesGoToTerminal());
        outcome = runDeviceTransfer(options, display, limits);
    } else if (outcome.code == kErrorNone) {
        outcome = convertCapture(options);
    }
    reportOutcome(options, outcome);
    return outcome.code;
}
