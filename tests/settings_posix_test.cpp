#include "support/registry_key.h"
#include "support/settings.h"

#include "support/settings_store.h"
#include "support/utf8_text.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

fs::path configHome() {
    return std::getenv("XDG_CONFIG_HOME");
}
fs::path home() {
    return std::getenv("HOME");
}
fs::path settingsFile() {
    return configHome() / "ZOR" / "ZOR7700Track.conf";
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

Settings loaded() {
    Settings settings;
    ExchangeSettings(settings, false);
    return settings;
}

Settings sample() {
    Settings settings;
    settings.comPort = 97;
    settings.trackFormat = TrackFormat::Nmea;
    std::u16string folder = u"/data/Spuren; Ö,\"x\" ";
    folder.copy(settings.outputFolder, folder.size());
    return settings;
}

std::string utf8(const char16_t* text) {
    return utf8FromUtf16(text);
}

TEST(SettingsPosix, ReadsWhatTheFileSaysOrTheDefault) {
    struct Case {
        const char* name;
        std::string file;
        int32_t comPort;
        bool nmeaOutput;
        const char* folder; // nullptr: the home folder
    };
    const Case cases[] = {
        {"values as QSettings writes them", "[General]\nComPort=5\nNmea=1\nPath=\"/a;b\"\n", 5,
         true, "/a;b"},
        {"quoted numbers are numbers", "[General]\nComPort=\"7\"\n", 7, false, nullptr},
        {"all 32 bits written unsigned", "[General]\nComPort=4294967295\n", -1, false, nullptr},
        {"a number with a fraction", "[General]\nComPort=3.5\n", -1, false, nullptr},
        {"a number too large for 32 bits", "[General]\nComPort=99999999999\n", -1, false, nullptr},
        {"an empty number", "[General]\nComPort=\nNmea=\n", -1, false, nullptr},
        {"a boolean word is not a number", "[General]\nNmea=true\n", -1, false, nullptr},
        {"a list is not a path", "[General]\nPath=/a,/b\n", -1, false, nullptr},
        {"a path that is not UTF-8", "[General]\nPath=/caf\xe9\n", -1, false, nullptr},
        {"values outside [General] do not count", "[Other]\nComPort=5\n", -1, false, nullptr},
        {"binary junk",
         std::string("\x7f"
                     "ELF\0\0\x01\x02=\xff\n[General\n=\n",
                     22),
         -1, false, nullptr},
        {"CR LF line ends", "[General]\r\nComPort=3\r\nPath=/x\r\n", 3, false, "/x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useFreshSettingsStore();
        writeFile(settingsFile(), c.file);
        const Settings settings = loaded();
        EXPECT_EQ(settings.comPort, c.comPort);
        EXPECT_EQ(settings.trackFormat == TrackFormat::Nmea, c.nmeaOutput);
        EXPECT_EQ(utf8(settings.outputFolder), c.folder ? c.folder : home().string());
    }
}

TEST(SettingsPosix, WritesAPlainFileAndKeepsForeignLines) {
    useFreshSettingsStore();
    writeFile(settingsFile(), "; my notes\n[General]\nNmea=0\nWindow=3\n\n[Other]\nComPort=1\n");
    Settings settings = sample();
    ExchangeSettings(settings, true);
    EXPECT_EQ(readFile(settingsFile()),
              "; my notes\n[General]\nNmea=1\nWindow=3\nComPort=97\nPath=\"/data/Spuren; "
              "\xc3\x96,\\\"x\\\" \"\n"
              "\n[Other]\nComPort=1\n");
    const Settings back = loaded();
    EXPECT_EQ(back.comPort, 97);
    EXPECT_EQ(utf8(back.outputFolder), utf8(settings.outputFolder));
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(settingsFile().parent_path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1u) << "no temporary file is left behind";
}

TEST(SettingsPosix, FindsTheConfigurationFolder) {
    struct Case {
        const char* name;
        const char* xdgConfigHome;  // nullptr: unset
        const char* expectedFolder; // below the test's home
    };
    const Case cases[] = {
        {"XDG_CONFIG_HOME is honoured", "elsewhere", "elsewhere/ZOR"},
        {"unset means HOME/.config", nullptr, ".config/ZOR"},
        {"a relative XDG_CONFIG_HOME is ignored", "relative", ".config/ZOR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useFreshSettingsStore();
        if (!c.xdgConfigHome)
            unsetenv("XDG_CONFIG_HOME");
        else if (std::string(c.xdgConfigHome) == "relative")
            setenv("XDG_CONFIG_HOME", "relative/config", 1);
        else
            setenv("XDG_CONFIG_HOME", (home() / c.xdgConfigHome).c_str(), 1);
        Settings settings = sample();
        ExchangeSettings(settings, true);
        EXPECT_TRUE(fs::is_regular_file(home() / c.expectedFolder / "ZOR7700Track.conf"));
    }
    EXPECT_FALSE(fs::exists("relative")) << "nothing is created relative to the working folder";
}

TEST(SettingsPosix, AFileThatCannotBeUsedNeverStopsTheProgram) {
    struct Case {
        const char* name;
        std::function<void()> spoil;
        bool valuesLoad;  // the planted ComPort=5 is read
        bool fileChanges; // saving replaces the file
    };
    const Case cases[] = {
        {"a read-only file is read and left alone",
         [] { fs::permissions(settingsFile(), fs::perms::owner_read); }, true, false},
        {"a file larger than 64 KiB is not ours",
         [] { std::ofstream(settingsFile(), std::ios::app) << std::string(70000, '#'); }, false,
         false},
        {"a folder in place of the file",
         [] {
             fs::remove(settingsFile());
             fs::create_directories(settingsFile() / "sub");
         },
         false, false},
        {"a file in place of the configuration folder",
         [] {
             fs::remove_all(configHome());
             writeFile(configHome(), "not a folder");
         },
         false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useFreshSettingsStore();
        writeFile(settingsFile(), "[General]\nComPort=5\n");
        c.spoil();
        const std::string before =
            fs::is_regular_file(settingsFile()) ? readFile(settingsFile()) : "";
        const Settings settings = loaded();
        EXPECT_EQ(settings.comPort, c.valuesLoad ? 5 : -1);
        EXPECT_EQ(utf8(settings.outputFolder), home().string());
        Settings changed = sample();
        ExchangeSettings(changed, true);
        const std::string after =
            fs::is_regular_file(settingsFile()) ? readFile(settingsFile()) : "";
        EXPECT_EQ(after != before, c.fileChanges);
    }
}

TEST(SettingsPosix, ALinkedFileIsUpdatedAtItsTarget) {
    useFreshSettingsStore();
    const fs::path target = home() / "dotfiles" / "zor.conf";
    writeFile(target, "[General]\nComPort=5\n");
    fs::create_directories(settingsFile().parent_path());
    fs::create_symlink(target, settingsFile());
    Settings settings = sample();
    ExchangeSettings(settings, true);
    EXPECT_TRUE(fs::is_symlink(settingsFile()));
    EXPECT_NE(readFile(target).find("ComPort=97"), std::string::npos);
}

TEST(SettingsPosix, DocumentsFolderFollowsUserDirs) {
    struct Case {
        const char* name;
        const char* userDirs; // nullptr: no user-dirs.dirs
        const char* expected; // below the test's home; "" for the home itself
    };
    const Case cases[] = {
        {"no user-dirs.dirs gives the home folder", nullptr, ""},
        {"$HOME-relative entry", "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", "Dokumente"},
        {"absolute entry", "XDG_DOCUMENTS_DIR=\"<home>/abs\"\n", "abs"},
        {"an entry naming a missing folder gives the home folder",
         "XDG_DOCUMENTS_DIR=\"$HOME/gone\"\n", ""},
        {"other entries are no documents folder", "XDG_DESKTOP_DIR=\"$HOME/Dokumente\"\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useFreshSettingsStore();
        fs::create_directories(home() / "Dokumente");
        fs::create_directories(home() / "abs");
        if (c.userDirs) {
            std::string text = c.userDirs;
            if (const size_t at = text.find("<home>"); at != std::string::npos)
                text.replace(at, 6, home().string());
            writeFile(configHome() / "user-dirs.dirs", text);
        }
        char16_t folder[260] = u"junk";
        documentsFolder(folder);
        EXPECT_EQ(utf8(folder), (*c.expected ? home() / c.expected : home()).string());
    }
}

} // namespace
