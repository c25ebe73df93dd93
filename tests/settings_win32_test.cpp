#include "support/registry_key.h"
#include "support/settings.h"

#include "support/settings_store.h"
#include "support/utf8_text.h"

#include <string>

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// Writes exactly the given characters. The registry adds a terminator to
// string data that is followed by one in memory, so a sentinel follows here.
void storeRaw(const wchar_t* name, DWORD type, const std::u16string& data) {
    const std::u16string followed = data + u'!';
    const DWORD bytes = static_cast<DWORD>(data.size() * sizeof(char16_t));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\ZOR\\ZOR7700Track", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(
        RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(followed.data()), bytes),
        ERROR_SUCCESS);
    DWORD stored = 0;
    RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &stored);
    RegCloseKey(key);
    ASSERT_EQ(stored, bytes) << "the value holds exactly the bytes written";
}

std::u16string pathOf(size_t length) {
    std::u16string path = u"C:\\";
    path.resize(length, u'q');
    return path;
}

TEST(SettingsWin32, ReadsRegistryValuesOfEveryShape) {
    struct Case {
        const char* name;
        const wchar_t* value;
        DWORD type;
        std::u16string data;         // written raw: no terminator unless it holds one
        std::u16string expectedPath; // empty: the documents folder
        int32_t expectedComPort;
    };
    const uint32_t five = 5;
    const std::u16string fiveBytes(reinterpret_cast<const char16_t*>(&five), 2);
    const Case cases[] = {
        {"a 260-character Path without terminator keeps 259", L"Path", REG_SZ, pathOf(260),
         pathOf(259), -1},
        {"a short Path without terminator ends where its data ends", L"Path", REG_SZ, pathOf(10),
         pathOf(10), -1},
        {"a Path with two terminators", L"Path", REG_SZ, pathOf(12) + u'\0' + u'\0', pathOf(12),
         -1},
        {"a Path of 261 characters is too large", L"Path", REG_SZ, pathOf(261), u"", -1},
        {"an expandable Path is of another type", L"Path", REG_EXPAND_SZ, pathOf(8) + u'\0', u"",
         -1},
        {"a Path stored as a number", L"Path", REG_DWORD, fiveBytes, u"", -1},
        {"a ComPort stored as binary bytes", L"ComPort", REG_BINARY, fiveBytes, u"", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useFreshSettingsStore();
        storeRaw(c.value, c.type, c.data);
        Settings settings;
        // The buffer's old content must not show through a shorter value.
        std::u16string(259, u'x').copy(settings.outputFolder, 259);
        ExchangeSettings(settings, false);
        const std::u16string expected =
            c.expectedPath.empty() ? expectedDocumentsFolder() : c.expectedPath;
        EXPECT_EQ(utf8FromUtf16(settings.outputFolder), utf8FromUtf16(expected));
        EXPECT_EQ(settings.comPort, c.expectedComPort);
    }
}

TEST(SettingsWin32, APathIsSavedWithItsTerminator) {
    useFreshSettingsStore();
    Settings settings;
    pathOf(7).copy(settings.outputFolder, 7);
    ExchangeSettings(settings, true);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\ZOR\\ZOR7700Track", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD type = 0, bytes = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"Path", nullptr, &type, nullptr, &bytes), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, 16u) << "(length + 1) x 2 bytes";
}

} // namespace
