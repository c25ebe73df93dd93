#pragma once

#include <cstdint>

// The format a track is written in, chosen by the save dialog's file type (in
// this order), remembered as the setting "Nmea" with these numbers, and asked
// for with the tool's --kml, --nmea or --gpx.
enum class TrackFormat : int32_t { Kml = 0, Nmea = 1, Gpx = 2 };
