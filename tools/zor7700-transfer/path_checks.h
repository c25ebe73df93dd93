#pragma once

#include "transfer_options.h"

#include <cstdint>
#include <string>

// Checked before the tool talks to the device or reads a capture, so a typo
// costs no download. 0 when the paths will do; kExitUsage with `message` when
// two of them name the same file; kErrorCreateFile when the output's folder
// takes no new file.
int32_t checkPaths(const TransferOptions& options, std::string& message);
