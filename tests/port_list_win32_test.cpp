#include "support/port_list.h"
#include "support/port_list_win32.h"

#include "support/utf8_text.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Writes exactly the given characters: the registry would add a terminator
// to string data followed by one in memory, so a sentinel follows here.
void storeRaw(HKEY key, const wchar_t* name, DWORD type, const std::u16string& data) {
    const std::u16string followed = data + u'!';
    RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(followed.data()),
                   static_cast<DWORD>(data.size() * sizeof(char16_t)));
}

std::vector<std::string> listed(const PortList& ports) {
    std::vector<std::string> lines;
    for (int32_t i = 0; i < ports.count; ++i)
        lines.push_back(std::to_string(ports.portNumbers[i]) + " " +
                        utf8FromUtf16(ports.descriptions[i].c_str()));
    return lines;
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    for (const std::string& l : lines)
        if (l == line)
            return true;
    return false;
}

TEST(PortListWin32, ReadPortNameTakesAnyStoredForm) {
    struct Case {
        const char* name;
        DWORD type;
        std::u16string data;
        bool read;
        std::string expected; // or the last error when not read
        DWORD error;
    };
    const Case cases[] = {
        {"with its terminator", REG_SZ, std::u16string(u"COM5") + u'\0', true, "COM5", 0},
        {"without a terminator", REG_SZ, u"COM12", true, "COM12", 0},
        {"an empty value", REG_SZ, u"", true, "", 0},
        {"a number is no name", REG_DWORD, u"\x0005\x0000", false, "", ERROR_INVALID_DATA},
        {"an expandable text is no name", REG_EXPAND_SZ, std::u16string(u"COM1") + u'\0', false, "",
         ERROR_INVALID_DATA},
    };
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\ZOR\\PortNameTest", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        storeRaw(key, L"PortName", c.type, c.data);
        CWStr name(u"unchanged");
        SetLastError(0);
        EXPECT_EQ(ReadPortName(key, name), c.read);
        EXPECT_EQ(utf8FromUtf16(name.c_str()), c.read ? c.expected : "unchanged");
        if (!c.read) {
            EXPECT_EQ(GetLastError(), c.error);
        }
    }
    RegDeleteValueW(key, L"PortName");
    CWStr name;
    EXPECT_FALSE(ReadPortName(key, name)) << "a missing value";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    RegCloseKey(key);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZOR\\PortNameTest");
}

// The system's own table of serial ports lists what the COM port class
// misses; planted entries show the name rule and the first pass's precedence.
TEST(PortListWin32, PortsNamedInSerialCommAreListed) {
    struct Entry {
        const wchar_t* device;
        std::u16string portName;
        const char* listedAs; // nullptr: left out
    };
    const Entry entries[] = {
        {L"\\Device\\ZorTest0", u"COM42", "42 \\Device\\ZorTest0"},
        {L"\\Device\\ZorTest1", u"com043", "43 \\Device\\ZorTest1"},
        {L"\\Device\\ZorTest2", u"Com0250", "250 \\Device\\ZorTest2"},
        {L"\\Device\\ZorTest3", u"COM256", nullptr},
        {L"\\Device\\ZorTest4", u"LPT3", nullptr},
        {L"\\Device\\ZorTest5", u"COM3A", nullptr},
        {L"\\Device\\ZorTest6", u"COM253", "253 \\Device\\ZorTest6"}, // stored without terminator
    };
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (const Entry& e : entries)
        storeRaw(key, e.device, REG_SZ, e.portName);
    // A second name for 42: the entry found first keeps the number.
    storeRaw(key, L"\\Device\\ZorTest7", REG_SZ, std::u16string(u"COM42") + u'\0');

    PortList ports;
    ports.Refresh();
    const std::vector<std::string> first = listed(ports);
    ports.Refresh();
    EXPECT_EQ(listed(ports), first) << "a second refresh gives the same list";

    for (const Entry& e : entries)
        RegDeleteValueW(key, e.device);
    RegDeleteValueW(key, L"\\Device\\ZorTest7");
    RegCloseKey(key);

    for (const Entry& e : entries) {
        if (e.listedAs) {
            EXPECT_TRUE(contains(first, e.listedAs)) << e.listedAs;
        }
    }
    EXPECT_FALSE(contains(first, "42 \\Device\\ZorTest7")) << "a clash keeps the first entry";
    for (size_t i = 1; i < first.size(); ++i)
        EXPECT_LT(ports.portNumbers[i - 1], ports.portNumbers[i]) << "ascending and distinct";
    for (int32_t i = 0; i < ports.count; ++i)
        EXPECT_LE(ports.portNumbers[i], 255);
}

// Run by port_list_wine_ports.sh after it has mapped ports through
// HKLM\Software\Wine\Ports and restarted the Wine server.
TEST(PortListWine, PortsMappedInWineAppearWithTheirNumbers) {
    const char* expectedText = std::getenv("ZOR_WINE_PORTS");
    if (!expectedText)
        GTEST_SKIP() << "ZOR_WINE_PORTS names the ports the script mapped";
    std::vector<int32_t> expected;
    std::istringstream words(expectedText);
    for (int32_t port; words >> port;)
        expected.push_back(port);
    const char* absentText = std::getenv("ZOR_WINE_PORTS_ABSENT");
    std::vector<int32_t> absent;
    std::istringstream absentWords(absentText ? absentText : "");
    for (int32_t port; absentWords >> port;)
        absent.push_back(port);

    auto isListed = [](const PortList& ports, int32_t port) {
        for (int32_t i = 0; i < ports.count; ++i)
            if (ports.portNumbers[i] == port)
                return true;
        return false;
    };
    auto allListed = [&](const PortList& ports) {
        for (int32_t port : expected)
            if (!isListed(ports, port))
                return false;
        return true;
    };
    // Wine's mount manager publishes the ports a moment after Wine starts.
    PortList ports;
    for (int attempt = 0; attempt < 100 && !(ports.Refresh(), allListed(ports)); ++attempt)
        Sleep(100);

    std::string shownList;
    for (const std::string& line : listed(ports))
        shownList += line + "; ";
    SCOPED_TRACE("listed: " + shownList);
    for (int32_t port : expected)
        EXPECT_TRUE(isListed(ports, port)) << "COM" << port << " is listed";
    for (int32_t port : absent)
        EXPECT_FALSE(isListed(ports, port)) << "COM" << port << " is not listed";
}

} // namespace
