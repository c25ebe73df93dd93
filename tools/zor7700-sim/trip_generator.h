#pragma once

#include "tools/common/log_encoder.h"

#include <cstdint>
#include <vector>

// A made-up outing, the same for every call: records every 5 seconds along a
// winding path, split into segments of 400 records by 20-minute stops, with
// an occasional record without a fix. Speed, heading, HDOP and satellites
// are filled in too, for a module's longer layouts.
std::vector<RawRecord> generateTrip(int32_t count);
