#pragma once

#include "device/log_dump.h"
#include "support/cwstr.h"

#include <cstdint>

// The error page's text for a run's error code; codes outside 0 to 9 (negative
// ones included) give the internal-error text.
const char16_t* ErrorText(int32_t code);

// What did not arrive of a damaged dump, in one sentence.
CWStr DamagedDumpText(const DumpCompleteness& dump);
// The warning over the success page when the file was written from a damaged
// dump and the device's memory was kept.
CWStr IncompleteDumpWarning(const DumpCompleteness& dump);

// Shown under the path when the save dialog refuses a read-only file or
// folder. Only the Qt dialog needs it: the Windows one words its own.
const char16_t* ReadOnlyTargetText();
