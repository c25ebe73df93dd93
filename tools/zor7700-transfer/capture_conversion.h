#pragma once

#include "transfer_options.h"

#include <cstdint>

// Converts a saved dump the way a transfer handles the live one: every byte
// through the SentenceAssembler, every $PMTKLOX sentence through
// handleLogSentence until the end sentence, then the same writer. Returns
// the run's error code: 9 without a position, 4 or 5 for the output file,
// kExitNoCapture when the capture cannot be read.
int32_t convertCapture(const TransferOptions& options);
