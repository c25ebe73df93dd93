#include "support/settings.h"

#include "support/registry_key.h"

void ExchangeSettings(Settings& settings, bool save)
{
    CRegistryKey key;
    if (save) {
        if (!key.IsOpen())
            return;
        key.WriteDword(u"ComPort", settings.comPort);
        key.WriteDword(u"Nmea", settings.nmeaOutput ? 1 : 0);
        key.WriteString(u"Path", settings.outputFolder);
        return;
    }
    settings.comPort = key.ReadDword(u"ComPort", -1);
    settings.nmeaOutput = key.ReadDword(u"Nmea", 0) != 0;
    key.ReadString(u"Path", settings.outputFolder);
    if (settings.outputFolder[0] == 0)
        documentsFolder(settings.outputFolder);
}
