#pragma once

#include "log_source.h"
#include "sim_options.h"

#include <string>
#include <vector>

// What one read-log command sends: the start sentence with the line count,
// the data lines as the faults leave them, and the end sentence, unless a
// fault cuts the dump short (silence, or a hang-up once the lines are out).
struct DumpPlan {
    std::vector<std::string> sentences;
    bool hangUp = false;
};

DumpPlan planDump(const LogLines& memory, const FaultPlan& faults);

// The sentence with the checksum's last digit changed.
std::string withWrongChecksum(const std::string& sentence);
// A data sentence cut to its first `words` words, with a fresh checksum.
std::string withWords(const std::string& sentence, int32_t words);
