#pragma once

#include "device/transfer_time_limits.h"

#include <string>
#include <vector>

// The whole tool on UTF-8 arguments (without the program name); returns the
// exit status. The program runs with the real time limits; tests that call
// it in-process may pass shorter ones.
int toolMain(const std::vector<std::string>& arguments, const TransferTimeLimits& limits = {});
