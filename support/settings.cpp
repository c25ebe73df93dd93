#include "support/settings.h"

#include "support/registry_key.h"

namespace {

// The stored numbers are TrackFormat's. GPX shares the NMEA value: an older
// version reads any number but 0 as NMEA and stores 0 or 1 again, which this
// version reads back unchanged, so the two versions never disagree about
// what was chosen last.
TrackFormat formatOfStored(int32_t stored) {
    switch (stored) {
    case static_cast<int32_t>(TrackFormat::Kml):
        return TrackFormat::Kml;
    case static_cast<int32_t>(TrackFormat::Gpx):
        return TrackFormat::Gpx;
    default:
        return TrackFormat::Nmea;
    }
}

} // namespace

void ExchangeSettings(Settings& settings, bool save) {
    CRegistryKey key;
    if (save) {
        if (!key.IsOpen())
            return;
        key.WriteDword(u"ComPort", settings.comPort);
        key.WriteDword(u"Nmea", static_cast<int32_t>(settings.trackFormat));
        key.WriteString(u"Path", settings.outputFolder);
        return;
    }
    settings.comPort = key.ReadDword(u"ComPort", -1);
    settings.trackFormat = formatOfStored(key.ReadDword(u"Nmea", 0));
    key.ReadString(u"Path", settings.outputFolder);
    if (settings.outputFolder[0] == 0)
        documentsFolder(settings.outputFolder);
}
