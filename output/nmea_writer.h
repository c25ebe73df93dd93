#pragma once

#include "device/track_store.h"
#include "support/byte_sink.h"

#include <cstdint>

// Writes one $GPGGA and one $GPRMC sentence per usable, in-range record.
// False after a failed write; nothing more is written then.
bool writeNmeaTrack(const TrackStore& store, ByteSink& file);

// Completes "$...*" in place with two upper-case checksum digits and CR LF;
// returns the length from "$" to LF. Needs room for 5 more bytes after "*".
int32_t appendChecksum(char* sentence);
