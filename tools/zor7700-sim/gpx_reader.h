#pragma once

#include "tools/common/log_encoder.h"

#include <cstdint>
#include <string>
#include <vector>

// Reads the track points of a GPX file as log records, tolerantly: every
// <trkpt lat=".." lon=".."> with a <time> becomes a record (3D fix with its
// <ele>, 2D fix without), whatever the nesting or the other elements; points
// without a readable position or time are skipped. A file without a single
// usable point is an error.
bool readGpxTrack(const std::string& path, std::vector<RawRecord>& records, std::string& error);
std::vector<RawRecord> parseGpxTrack(const std::string& text);

// "YYYY-MM-DDTHH:MM:SS" with optional fraction and "Z" or "+hh:mm" offset, as
// seconds since 1970 (UTC); false when it does not read as such a time.
bool parseIsoTime(const std::string& text, uint32_t& seconds);
