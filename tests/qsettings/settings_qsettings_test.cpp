#include "support/settings.h"

#include "support/settings_store.h"
#include "support/utf8_text.h"

#include <QSettings>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace {

QString settingsPath()
{
    return QString::fromLocal8Bit(std::getenv("XDG_CONFIG_HOME")) + "/ZOR/ZOR7700Track.conf";
}

Settings withPath(int32_t comPort, bool nmea, const std::u16string& folder)
{
    Settings settings;
    settings.comPort = comPort;
    settings.nmeaOutput = nmea;
    folder.copy(settings.outputFolder, folder.size());
    return settings;
}

// Paths that need the reader's quoting and escaping rules.
const std::u16string kPaths[] = {
    u"/home/me/GPS tracks",
    u"/data/a;b,c=d",
    u" /lead and trail ",
    u"/quote\"back\\slash",
    u"/tab\there",
    u"/Spuren/D\u00f6rfer/\u6771\u4eac",
    u"/digits after escape\t123abc",
    u"@home",
    u"@Variant(looks typed)",
};

TEST(SettingsQSettings, QSettingsReadsWhatWeWrite)
{
    for (const std::u16string& path : kPaths) {
        SCOPED_TRACE(utf8FromUtf16(path));
        useFreshSettingsStore();
        Settings settings = withPath(65280, true, path);
        ExchangeSettings(settings, true);
        QSettings qt(settingsPath(), QSettings::IniFormat);
        EXPECT_EQ(qt.status(), QSettings::NoError);
        EXPECT_EQ(qt.value("ComPort").toInt(), 65280);
        EXPECT_EQ(qt.value("Nmea").toInt(), 1);
        EXPECT_EQ(qt.value("Path").toString().toStdU16String(), path);
    }
}

TEST(SettingsQSettings, WeReadWhatQSettingsWrites)
{
    for (const std::u16string& path : kPaths) {
        SCOPED_TRACE(utf8FromUtf16(path));
        useFreshSettingsStore();
        {
            QSettings qt(settingsPath(), QSettings::IniFormat);
            qt.setValue("ComPort", -1);
            qt.setValue("Nmea", 7);
            qt.setValue("Path", QString::fromStdU16String(path));
            qt.setValue("Window/Geometry", QStringList{"a", "b"});
        }
        Settings settings;
        ExchangeSettings(settings, false);
        EXPECT_EQ(settings.comPort, -1);
        EXPECT_TRUE(settings.nmeaOutput);
        EXPECT_EQ(utf8FromUtf16(settings.outputFolder), utf8FromUtf16(path));
        ExchangeSettings(settings, true);
        QSettings qt(settingsPath(), QSettings::IniFormat);
        EXPECT_EQ(qt.value("Window/Geometry").toStringList(), (QStringList{"a", "b"})) << "foreign keys survive";
    }
}

} // namespace
