#pragma once

#include "device/track_store.h"
#include "support/byte_sink.h"

// The one place the output format picks its writer, for the wizard's worker
// and the tool's capture conversion alike: GPX when `gpxOutput` is set, else
// NMEA text when `nmeaOutput` is set, else KML. False after a failed write.
bool writeTrack(const TrackStore& store, ByteSink& file, bool nmeaOutput, bool gpxOutput);
