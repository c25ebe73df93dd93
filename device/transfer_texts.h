#pragma once

#include "device/log_dump.h"
#include "support/cwstr.h"

#include <cstdint>

// What the user reads about a run's end, in the wizard and from the tool.

// The success page's heading; with the erase, the line that says so.
const char16_t* CompletionText(bool erased);

// The error page's text for a run's error code; codes outside 0 to 9 (negative
// ones included) give the internal-error text.
const char16_t* ErrorText(int32_t code);

// What did not arrive of a damaged dump, in one sentence.
CWStr DamagedDumpText(const DumpCompleteness& dump);
// The warning over the success page when the file was written from a damaged
// dump and the device's memory was kept.
CWStr IncompleteDumpWarning(const DumpCompleteness& dump);
