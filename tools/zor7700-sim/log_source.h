#pragma once

#include "sim_options.h"
#include "tools/common/log_encoder.h"

#include <string>
#include <vector>

// The simulated log memory: the data sentences of a dump ("$PMTKLOX,1,...*HH\r\n")
// in the order the device sends them.
using LogLines = std::vector<std::string>;

// Fills `lines` from the source the options name; false with a message.
bool loadLogMemory(const SimOptions& options, LogLines& lines, std::string& error);

// The records of any source but a capture (none for --empty); false with a
// message.
bool loadLogRecords(const SimOptions& options, std::vector<RawRecord>& records, std::string& error);

// Lays records out as the device's flash does: six to a line, wrapping around
// the 8196-slot ring once it is full (so the oldest records are overwritten),
// unused slots left erased (all bytes FF).
LogLines linesFromRecords(const std::vector<RawRecord>& records);

// The data sentences of a saved dump, taken as they stand; anything else in the
// file (other sentences, start and end lines, noise) is skipped. A folder, or
// a file without any $PMTKLOX sentence, is an error.
bool readCaptureLines(const std::string& path, LogLines& lines, std::string& error);
