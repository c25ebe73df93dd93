#pragma once

#include "device/track_store.h"
#include "support/byte_sink.h"
#include "support/track_format.h"

// The one place the format picks its writer. False after a failed write.
bool writeTrack(const TrackStore& store, ByteSink& file, TrackFormat format);
