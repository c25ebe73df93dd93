#pragma once

#include "device/log_dump.h"
#include "device/track_store.h"

#include <bitset>
#include <cstdint>

// What the first sector's header said of the records, and how they were read.
struct LogLayout {
    bool header = false; // the first sector began with a real header
    uint32_t content = kBasicContent;
    bool byContent = false; // read at the header's layout, not as 16-byte records

    // A real header naming fields this program does not know: the records
    // were read as 16-byte ones, which may be wrong.
    bool unknownContent() const { return header && (content & ~kKnownContent) != 0; }
};

// After the dump: when the first sector's header (its checksum intact) names
// a readable content other than the 16-byte record's, the store is decoded
// anew from the flash, each sector at the layout its own header names, from
// byte 64 on. Every other dump (content 0x1F, no header at all) keeps the
// store as its lines decoded it.
LogLayout applySectorLayouts(const FlashImage& flash,
                             const std::bitset<TrackStore::kLines>& linesReceived,
                             TrackStore& store);
