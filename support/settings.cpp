#include "support/settings.h"

#include "support/registry_key.h"

namespace {

// GPX shares the NMEA value: an older version reads any number but 0 as NMEA
// and stores 0 or 1 again, which this version reads back unchanged, so the
// two versions never disagree about what was chosen last.
constexpr int32_t kStoredKml = 0;
constexpr int32_t kStoredNmea = 1;
constexpr int32_t kStoredGpx = 2;

} // namespace

void ExchangeSettings(Settings& settings, bool save) {
    CRegistryKey key;
    if (save) {
        if (!key.IsOpen())
            return;
        key.WriteDword(u"ComPort", settings.comPort);
        key.WriteDword(u"Nmea", settings.gpxOutput    ? kStoredGpx
                                : settings.nmeaOutput ? kStoredNmea
                                                      : kStoredKml);
        key.WriteString(u"Path", settings.outputFolder);
        return;
    }
    settings.comPort = key.ReadDword(u"ComPort", -1);
    const int32_t format = key.ReadDword(u"Nmea", kStoredKml);
    settings.gpxOutput = format == kStoredGpx;
    settings.nmeaOutput = format != kStoredKml && !settings.gpxOutput;
    key.ReadString(u"Path", settings.outputFolder);
    if (settings.outputFolder[0] == 0)
        documentsFolder(settings.outputFolder);
}
