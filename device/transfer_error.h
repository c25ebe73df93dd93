#pragma once

#include <cstdint>

// Run error codes, reported as the lParam of a failed run; the tool's exit
// status.
enum TransferError : int32_t {
    kErrorNone = 0,
    kErrorOpenPort = 1,
    kErrorWriteCommand = 2,
    kErrorRead = 3,
    kErrorCreateFile = 4,
    kErrorWriteFile = 5,
    kErrorNoRun = 6, // the run could not even start
    kErrorStopped = 7,
    kErrorNoDevice = 8,
    kErrorNoTracks = 9,
    // Codes the wizard never sees: only the tool asks for a module's logging.
    kErrorNotSupported = 12, // the ZOR 7700 has no logging commands
    kErrorRefused = 13,      // the module refused, or did not confirm, one
};
