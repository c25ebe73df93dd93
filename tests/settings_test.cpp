#include "support/settings.h"

#include "support/settings_store.h"
#include "support/utf8_text.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace {

// Marks an expected folder as "whatever the documents folder is".
const std::u16string kDocuments = u"<documents>";

std::string shown(const std::u16string& text) {
    return utf8FromUtf16(text);
}

Settings loaded() {
    Settings settings;
    ExchangeSettings(settings, false);
    return settings;
}

std::u16string longPath(size_t length) {
    std::u16string path = expectedDocumentsFolder().substr(0, 3);
    path.resize(length, u'p');
    return path;
}

TEST(Settings, LoadsStoredValuesOrTheirDefaults) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        int32_t comPort;
        bool nmeaOutput;
        std::function<std::u16string()> folder;
    };
    const Case cases[] = {
        {"first run gives the defaults", [] {}, -1, false, [] { return kDocuments; }},
        {"stored values load as they are",
         [] {
             storeNumber(u"ComPort", 12);
             storeNumber(u"Nmea", 1);
             storeText(u"Path", longPath(20));
         },
         12, true, [] { return longPath(20); }},
        {"ComPort stored as text loads -1", [] { storeText(u"ComPort", u"COM3"); }, -1, false,
         [] { return kDocuments; }},
        {"Nmea stored as text loads false", [] { storeText(u"Nmea", u"yes"); }, -1, false,
         [] { return kDocuments; }},
        {"Nmea 7 loads true", [] { storeNumber(u"Nmea", 7); }, -1, true, [] { return kDocuments; }},
        {"ComPort all bits set loads -1", [] { storeNumber(u"ComPort", 0xFFFFFFFFu); }, -1, false,
         [] { return kDocuments; }},
        {"the placeholder loads as 65280", [] { storeNumber(u"ComPort", 65280); }, 65280, false,
         [] { return kDocuments; }},
        {"a Path of 259 characters loads whole", [] { storeText(u"Path", longPath(259)); }, -1,
         false, [] { return longPath(259); }},
        {"a Path of 260 characters does not fit and gives the documents folder",
         [] { storeText(u"Path", longPath(260)); }, -1, false, [] { return kDocuments; }},
        {"a Path of 300 characters gives the documents folder",
         [] { storeText(u"Path", longPath(300)); }, -1, false, [] { return kDocuments; }},
        {"an empty Path gives the documents folder", [] { storeText(u"Path", u""); }, -1, false,
         [] { return kDocuments; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useFreshSettingsStore();
        c.arrange();
        const Settings settings = loaded();
        const std::u16string folder =
            c.folder() == kDocuments ? expectedDocumentsFolder() : c.folder();
        EXPECT_EQ(settings.comPort, c.comPort);
        EXPECT_EQ(settings.trackFormat == TrackFormat::Nmea, c.nmeaOutput);
        EXPECT_EQ(shown(settings.outputFolder), shown(folder));
    }
}

// "Nmea" keeps its meaning for an older version (0 KML, anything else NMEA,
// saved as 0 or 1) and carries GPX as 2.
TEST(Settings, TheNmeaValueHoldsTheFormat) {
    struct Case {
        const char* name;
        uint32_t stored;
        TrackFormat format;
        uint32_t savedBack;
    };
    const Case cases[] = {
        {"0 is KML", 0, TrackFormat::Kml, 0},
        {"1 is NMEA", 1, TrackFormat::Nmea, 1},
        {"2 is GPX", 2, TrackFormat::Gpx, 2},
        {"3 is NMEA, as for an older version", 3, TrackFormat::Nmea, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useFreshSettingsStore();
        storeNumber(u"Nmea", c.stored);
        Settings settings = loaded();
        EXPECT_EQ(settings.trackFormat, c.format);
        ExchangeSettings(settings, true);
        EXPECT_EQ(storedNumber(u"Nmea"), c.savedBack);
    }
}

TEST(Settings, FirstRunLeavesAnEmptyStoreBehind) {
    useFreshSettingsStore();
    ASSERT_FALSE(settingsStoreExists());
    loaded();
    EXPECT_TRUE(settingsStoreExists());
    EXPECT_FALSE(settingsStoreHasValues());
}

TEST(Settings, SavesInTheStoredFormsAndLoadsThemBack) {
    struct Case {
        const char* name;
        int32_t comPort;
        bool nmeaOutput;
        std::u16string folder;
        uint32_t storedComPort;
        uint32_t storedNmea;
    };
    const Case cases[] = {
        {"nothing chosen is stored as -1", -1, false, u"", 0xFFFFFFFFu, 0},
        {"the placeholder is stored as 65280", 65280, true, longPath(10), 65280, 1},
        {"port 255 and a 259-character path", 255, false, longPath(259), 255, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useFreshSettingsStore();
        Settings settings;
        settings.comPort = c.comPort;
        settings.trackFormat = c.nmeaOutput ? TrackFormat::Nmea : TrackFormat::Kml;
        c.folder.copy(settings.outputFolder, c.folder.size());
        ExchangeSettings(settings, true);
        EXPECT_EQ(storedNumber(u"ComPort"), c.storedComPort);
        EXPECT_EQ(storedNumber(u"Nmea"), c.storedNmea);
        EXPECT_EQ(shown(storedText(u"Path").value_or(u"<missing>")), shown(c.folder));

        const Settings back = loaded();
        EXPECT_EQ(back.comPort, c.comPort);
        EXPECT_EQ(back.trackFormat == TrackFormat::Nmea, c.nmeaOutput);
        EXPECT_EQ(shown(back.outputFolder),
                  shown(c.folder.empty() ? expectedDocumentsFolder() : c.folder));
    }
}

TEST(Settings, LoadThenSaveNormalisesWhatWasStored) {
    useFreshSettingsStore();
    storeNumber(u"Nmea", 7);
    storeText(u"Path", u"");
    Settings settings = loaded();
    ExchangeSettings(settings, true);
    EXPECT_EQ(storedNumber(u"Nmea"), 1u) << "Nmea 7 is saved back as 1";
    EXPECT_EQ(shown(storedText(u"Path").value_or(u"<missing>")), shown(expectedDocumentsFolder()))
        << "an empty Path is saved back as the documents folder";
    EXPECT_EQ(storedNumber(u"ComPort"), 0xFFFFFFFFu);
}

} // namespace
