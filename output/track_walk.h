#pragma once

#include "device/track_store.h"

#include <cstddef>
#include <cstdint>

// Both writers begin at the earliest record and visit every slot once,
// wrapping past the end of the table: step 0 is the slot at startIndex.
inline const LogRecord& recordAtStep(const TrackStore& store, int32_t step) {
    return store.records[static_cast<size_t>((store.startIndex + step) % TrackStore::kSlots)];
}
