#pragma once

#include "device/track_store.h"
#include "support/byte_sink.h"

#include <cstdint>

// Writes the store as a KML 2.2 document: Start placemark, one coloured line
// string per segment (split at gaps over 300 s), Stop placemark. False after
// a failed write; nothing more is written then.
bool writeKmlTrack(const TrackStore& store, ByteSink& file);

// "YYYY-MM-DD HH:MM:SS" (UTC) in one of two alternating static buffers, so two
// labels can be used together; the third call overwrites the first.
const char16_t* timeLabel(uint32_t time);
