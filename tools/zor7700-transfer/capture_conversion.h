#pragma once

#include "run_outcome.h"
#include "transfer_options.h"

// Converts a saved dump through the transfer's own dump decoder and track
// file writer. The code is the run's: 9 without a position (3 when the dump
// was damaged), 4 or 5 for the output file, 7 when stopped before the file
// was in place; kExitIncompleteDump when the file was written from a damaged
// dump, kExitNoCapture when the capture cannot be read.
RunOutcome convertCapture(const TransferOptions& options);
