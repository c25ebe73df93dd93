#pragma once

#include "run_outcome.h"
#include "transfer_options.h"

// Converts a saved dump the way a transfer handles the live one: every byte
// through the SentenceAssembler, every $PMTKLOX sentence through
// handleLogSentence until the end sentence, then the same writer. The code
// is the run's: 9 without a position (3 when the dump was damaged), 4 or 5
// for the output file; kExitIncompleteDump when the file was written from a
// damaged dump, kExitNoCapture when the capture cannot be read.
RunOutcome convertCapture(const TransferOptions& options);
