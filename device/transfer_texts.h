#pragma once

#include "device/flash_layout.h"
#include "device/found_device.h"
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

// A module's line under the output page's text ("PA6H LOCUS logger: 3769
// positions stored, memory 46 % used, logging every 15 s"); empty for the
// ZOR 7700, whose page stays as it was.
CWStr DeviceStatusText(const FoundDevice& device);
// The warning when a module did not confirm the erase: the file is whole,
// the memory may still hold the log.
const char16_t* EraseUnconfirmedWarning();
// The warning for a log whose header names fields this program does not know.
CWStr UnknownContentWarning(const LogLayout& layout);
// The warning when a module read at 115200 baud did not confirm its own rate.
CWStr LineRateWarning(const FoundDevice& device);
