#pragma once

#include "support/simulator_process_posix.h"

#include <string>
#include <vector>

// zor7700-transfer run for a test against `sim`, with the simulator's
// private folders as its home: its exit status and what it printed to
// standard output and error.
struct ToolRun {
    int exitStatus;
    std::string output;         // both streams
    std::string standardOutput; // in-process runs only
};

// The built program; it gets `signal` once its output holds `cue`, if one is
// given.
ToolRun runTool(const SimulatorProcess& sim, std::vector<std::string> arguments,
                const std::string& cue = {}, int signal = 0);

// What stands in the way of an in-process run's files: a disk that fills up
// after 16 KiB (the file size limit), or standard output a pipe whose reader
// has closed it.
enum class FileTrouble { None, DiskFillsUp, ReaderGone };

// The tool called in this process in fast time (kFastLimits), its streams
// caught apart; the signal handlers it sets are put back afterwards.
ToolRun runToolInProcess(const SimulatorProcess& sim, const std::vector<std::string>& arguments,
                         FileTrouble trouble = FileTrouble::None);
