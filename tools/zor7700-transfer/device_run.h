#pragma once

#include "progress_display.h"
#include "run_outcome.h"
#include "transfer_options.h"

#include "device/transfer_time_limits.h"

// One whole transfer from the logger through the program's TransferWorker:
// the output options are handed over when the device has been found, as the
// wizard does. The code is the run's error code, kExitIncompleteDump for a
// file written from a damaged dump, 0 on success.
RunOutcome runDeviceTransfer(const TransferOptions& options, ProgressDisplay& display,
                             const TransferTimeLimits& limits);
