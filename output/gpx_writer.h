#pragma once

#include "device/track_store.h"
#include "support/byte_sink.h"

// Writes the store as a GPX 1.1 document: metadata with the document name and
// the bounds of the points, then one track per trip (split at gaps over
// 300 s), each point with its height, time and fix. False after a failed
// write; nothing more is written then.
bool writeGpxTrack(const TrackStore& store, ByteSink& file);
