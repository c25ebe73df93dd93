#pragma once

#include "progress_display.h"
#include "transfer_options.h"

#include <cstdint>

// One whole transfer from the logger through the program's TransferWorker:
// the output options are handed over when the device has been found, as the
// wizard does. Returns the run's error code (0 on success); `erased` tells
// whether the erase command went out.
int32_t runDeviceTransfer(const TransferOptions& options, ProgressDisplay& display, bool& erased);
