#pragma once

#include "device/flash_layout.h"
#include "device/found_device.h"
#include "device/log_dump.h"
#include "device/report_target.h"
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
// What a run that wrote its file ended with besides, for the warning over
// the success page and the tool's messages.
struct CompletionNotes {
    CompletionDetail detail = kCompleteMemoryKept;
    DumpCompleteness dump;
    LogLayout layout;
    FoundDevice device;
    bool lineRateRestored = true;
};

// Every warning of the notes, each its own paragraph; empty when there is
// none: a damaged dump, an erase the module did not confirm, a log whose
// header names fields this program does not know, a module whose line rate
// was not confirmed again.
CWStr CompletionWarning(const CompletionNotes& notes);
