#pragma once

#include "support/track_format.h"

#include <cstdint>

// The three things the wizard remembers per user between runs.
struct Settings {
    // The chosen port's item data: 0 to 255, 65280 for the placeholder, -1 for none.
    int32_t comPort = -1;
    TrackFormat trackFormat = TrackFormat::Kml;
    // The folder of the last output file; always terminated.
    char16_t outputFolder[260] = {};
};

// Loads (save false) or saves (save true) the settings through one
// CRegistryKey: "ComPort", "Nmea" and "Path" in that order. "Nmea" holds the
// format: 0 KML, 2 GPX, any other number NMEA (saved as 1). Loading creates
// the key, gives defaults for what is missing or of another kind, and falls
// back to the documents folder for an empty path. Never reports an error.
void ExchangeSettings(Settings& settings, bool save);
