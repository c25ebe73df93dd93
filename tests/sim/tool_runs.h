#pragma once

#include "support/simulator_process_posix.h"

#include <string>
#include <vector>

// zor7700-transfer run for a test against `sim`, with the simulator's
// private folders as its home: its exit status and what it printed to
// standard output and error.
struct ToolRun {
    int exitStatus;
    std::string output;
};

// The built program; it gets `signal` once its output holds `cue`, if one is
// given.
ToolRun runTool(const SimulatorProcess& sim, std::vector<std::string> arguments,
                const std::string& cue = {}, int signal = 0);

// The tool called in this process in fast time (kFastLimits), its output
// caught as the built program's would be; the interrupt handlers it sets are
// put back afterwards.
ToolRun runToolInProcess(const SimulatorProcess& sim, const std::vector<std::string>& arguments);
