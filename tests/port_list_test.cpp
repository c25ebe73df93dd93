#include "support/port_list.h"

#include "support/utf8_text.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::string shown(const char16_t* text) {
    return utf8FromUtf16(text);
}

struct Found {
    int32_t port;
    std::u16string description;
};

void fill(PortList& ports, const std::vector<Found>& found) {
    PortSlots slots;
    for (const Found& f : found)
        slots.put(f.port, f.description.c_str());
    slots.moveTo(ports);
}

TEST(PortList, NamesFollowTheComRule) {
    struct Case {
        const char16_t* name;
        int32_t expected;
    };
    const Case cases[] = {
        {u"COM3", 3},
        {u"com3", 3},
        {u"Com03", 3},
        {u"COM007", 7},
        {u"COM0", 0},
        {u"COM255", 255},
        {u"COM256", -1},
        {u"COM", -1},
        {u"COMx", -1},
        {u"COM3A", -1},
        {u"COM-1", -1},
        {u"COM 3", -1},
        {u"LPT1", -1},
        {u"CON3", -1},
        {u"", -1},
        {u"COM99999999999999999999", -1},
        {u"COM0000000000000000000255", 255},
    };
    for (const Case& c : cases)
        EXPECT_EQ(portNumberFromName(c.name), c.expected) << shown(c.name);
}

TEST(PortList, AllDigitsMeansNonEmptyDecimal) {
    EXPECT_TRUE(IsAllDigits(u"0123456789"));
    EXPECT_FALSE(IsAllDigits(u""));
    EXPECT_FALSE(IsAllDigits(u"12a"));
    EXPECT_FALSE(IsAllDigits(u"+1"));
    EXPECT_FALSE(IsAllDigits(u"\u0663")); // an Arabic-Indic three is no decimal digit here
}

TEST(PortList, SlotsGiveAscendingDistinctEntries) {
    struct Case {
        const char* name;
        std::vector<Found> found;
        std::vector<int32_t> ports;
        std::vector<std::u16string> descriptions;
    };
    const Case cases[] = {
        {"enumeration order COM12, COM3, COM7 lists ascending",
         {{12, u"c"}, {3, u"a"}, {7, u"b"}},
         {3, 7, 12},
         {u"a", u"b", u"c"}},
        {"the device enumerated last wins a shared number",
         {{4, u"first"}, {4, u"second"}},
         {4},
         {u"second"}},
        {"port 0 and port 255 are both kept", {{255, u"z"}, {0, u""}}, {0, 255}, {u"", u"z"}},
        {"nothing found gives an empty list", {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PortList ports;
        fill(ports, {{1, u"stale"}, {2, u"stale"}, {3, u"stale"}, {9, u"stale"}});
        fill(ports, c.found);
        ASSERT_EQ(ports.count, static_cast<int32_t>(c.ports.size()));
        for (size_t i = 0; i < c.ports.size(); ++i) {
            EXPECT_EQ(ports.portNumbers[i], c.ports[i]);
            EXPECT_EQ(shown(ports.descriptions[i]), shown(c.descriptions[i].c_str()));
        }
        for (size_t i = c.ports.size(); i < PortList::kMaxPorts; ++i) {
            EXPECT_EQ(ports.portNumbers[i], -1) << "entry " << i;
            EXPECT_TRUE(ports.descriptions[i].IsEmpty()) << "entry " << i;
        }
    }
}

TEST(PortList, ARefreshReleasesThePreviousDescriptions) {
    PortList ports;
    fill(ports, {{5, u"old device"}});
    const CWStr held = ports.descriptions[0];
    ASSERT_EQ(held.RefCount(), 2);
    fill(ports, {{5, u"old device"}});
    EXPECT_EQ(held.RefCount(), 1) << "the list let go of its old text";
}

TEST(PortList, ComboItemsShowPlaceholderPortsAndSelection) {
    const std::u16string hundred = std::u16string(79, u'd') + std::u16string(21, u'X');
    struct Case {
        const char* name;
        std::vector<Found> found;
        int32_t comPort;
        std::vector<std::string> texts; // after the placeholder
        int32_t selection;
    };
    const Case cases[] = {
        {"one-digit number has three blanks before the hyphen",
         {{5, u"Serial port"}},
         5,
         {"COM5   - Serial port"},
         1},
        {"three-digit number has one", {{123, u"Bluetooth"}}, -1, {"COM123 - Bluetooth"}, 0},
        {"a missing description ends with hyphen and blank", {{7, u""}}, 7, {"COM7   - "}, 1},
        {"a 100-character description shows its first 79",
         {{9, hundred}},
         1,
         {"COM9   - " + std::string(79, 'd')},
         0},
        {"the remembered port is preselected among several",
         {{1, u"a"}, {40, u"b"}, {97, u"c"}},
         40,
         {"COM1   - a", "COM40  - b", "COM97  - c"},
         2},
        {"the placeholder's 65280 selects the placeholder", {{1, u"a"}}, 65280, {"COM1   - a"}, 0},
        {"a port no longer present selects the placeholder", {{1, u"a"}}, 2, {"COM1   - a"}, 0},
        {"no ports leaves only the placeholder", {}, 3, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PortList ports;
        fill(ports, c.found);
        PortComboItems items;
        buildPortComboItems(ports, 0, items); // a first fill with other contents
        buildPortComboItems(ports, c.comPort, items);
        ASSERT_EQ(items.count, static_cast<int32_t>(c.texts.size()) + 1);
        EXPECT_EQ(shown(items.texts[0]), "Select Serial Port ...");
        EXPECT_EQ(items.data[0], 65280u);
        for (size_t i = 0; i < c.texts.size(); ++i) {
            EXPECT_EQ(shown(items.texts[i + 1]), c.texts[i]);
            EXPECT_EQ(items.data[i + 1], static_cast<uint32_t>(ports.portNumbers[i]));
        }
        EXPECT_EQ(items.selection, c.selection);
    }
}

} // namespace
