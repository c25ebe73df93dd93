#include "support/settings.h"

#include "support/settings_store.h"
#include "support/utf8_text.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace {

QString settingsPath() {
    return QString::fromLocal8Bit(std::getenv("XDG_CONFIG_HOME")) + "/ZOR/ZOR7700Track.conf";
}

Settings withPath(int32_t comPort, bool nmea, const std::u16string& folder) {
    Settings settings;
    settings.comPort = comPort;
    settings.trackFormat = nmea ? TrackFormat::Nmea : TrackFormat::Kml;
    folder.copy(settings.outputFolder, folder.size());
    return settings;
}

// Paths that need the reader's quoting and escaping rules.
const std::u16string kPaths[] = {
    u"/home/me/GPS tracks",          u"/data/a;b,c=d", u" /lead and trail ",
    u"/quote\"back\\slash",          u"/tab\there",    u"/Spuren/D\u00f6rfer/\u6771\u4eac",
    u"/digits after escape\t123abc", u"@home",         u"@Variant(looks typed)",
};

TEST(SettingsQSettings, QSettingsReadsWhatWeWrite) {
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

TEST(SettingsQSettings, WeReadWhatQSettingsWrites) {
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
        EXPECT_EQ(settings.trackFormat, TrackFormat::Nmea);
        EXPECT_EQ(utf8FromUtf16(settings.outputFolder), utf8FromUtf16(path));
        ExchangeSettings(settings, true);
        QSettings qt(settingsPath(), QSettings::IniFormat);
        EXPECT_EQ(qt.value("Window/Geometry").toStringList(), (QStringList{"a", "b"}))
            << "foreign keys survive";
    }
}

// Files written by hand: we read what QSettings reads, and QSettings reads
// what we save into them.
TEST(SettingsQSettings, BothReadHandWrittenFilesAlike) {
    const char* const files[] = {
        "ComPort=5\nNmea=1\nPath=/before/any/header\n",
        "; mine\n\nPath=/a\n\n[Other]\nPath=/other\n",
        "Path=/first\nComPort=3\n[General]\nPath=/second\n",
        "[General]\nPath=/first\n[Other]\nk=v\n[General]\nPath=/again\nNmea=1\n",
    };
    for (const char* file : files) {
        SCOPED_TRACE(file);
        useFreshSettingsStore();
        QDir().mkpath(QFileInfo(settingsPath()).path());
        std::ofstream(settingsPath().toStdString()) << file;
        Settings settings;
        ExchangeSettings(settings, false);
        QSettings before(settingsPath(), QSettings::IniFormat);
        EXPECT_EQ(settings.comPort, before.value("ComPort", -1).toInt());
        EXPECT_EQ(settings.trackFormat == TrackFormat::Nmea, before.value("Nmea", 0).toInt() != 0);
        EXPECT_EQ(utf8FromUtf16(settings.outputFolder),
                  before.value("Path").toString().toStdString());

        ExchangeSettings(settings = withPath(9, false, u"/saved"), true);
        QSettings after(settingsPath(), QSettings::IniFormat);
        EXPECT_EQ(after.value("ComPort").toInt(), 9);
        EXPECT_EQ(after.value("Nmea").toInt(), 0);
        EXPECT_EQ(after.value("Path").toString().toStdString(), "/saved");
    }
}

} // namespace
