#pragma once

#include "device/found_device.h"

#include <cstdint>
#include <string>

// The sentences of a LOCUS module the worker reads, from the checksum-valid
// text of each (see docs/locus-modules.md).

// "$PMTK705,<release>,<build>,<model>,...": true with the model.
bool readReleaseReply(const char* text, std::string& model);
// "$PMTKLOG,<serial>,<type>,<mode>,<content>,<interval>,<distance>,<speed>,
// <status>,<records>,<percent>": true with the status. Any status but 1
// (stopped) counts as logging.
bool readLogStatus(const char* text, LoggerStatus& status);
// "$PMTK001,<command>,<flag>" for `command`: true with the flag (3 success,
// 2 failed, 1 unsupported, 0 invalid).
bool readAcknowledgement(const char* text, int32_t command, int32_t& flag);
