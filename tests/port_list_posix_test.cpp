#include "support/port_list_posix.h"

#include "support/fake_port_tree_posix.h"
#include "support/utf8_text.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// What a refresh lists over the tree, as "number description" lines.
std::vector<std::string> listed(const FakePortTree& tree,
                                const std::vector<PairedDevice>& paired = {}) {
    PortList ports;
    EXPECT_TRUE(refreshPortList(ports, tree.roots, paired));
    std::vector<std::string> lines;
    for (int32_t i = 0; i < ports.count; ++i)
        lines.push_back(std::to_string(ports.portNumbers[i]) + " " +
                        utf8FromUtf16(ports.descriptions[i].c_str()));
    return lines;
}

TEST(PortListPosix, ListsPresentPortsWithTheirDescriptions) {
    FakePortTree system;
    system.addUart("ttyS0", "4");
    system.addUart("ttyS1", "0"); // the 8250 driver's placeholder without a UART
    system.addDevice("ttyS2");    // no sysfs facts at all
    system.addUsb("ttyUSB0", "FTDI", "FT232R USB UART");
    system.addUsb("ttyUSB1", "", "");
    system.addUsb("ttyACM3", "", "GPS receiver");
    system.addRfcomm("rfcomm0", "00:11:22:aa:bb:cc");
    system.addRfcomm("rfcomm1", "00:00:00:00:00:00");
    system.addRfcomm("rfcomm2", "");
    system.addDevice("pts");
    system.addLink("com200", system.dev("pts"));

    const std::vector<std::string> expected = {
        "1 Serial port (" + system.dev("ttyS0") + ")",
        "33 FTDI FT232R USB UART (" + system.dev("ttyUSB0") + ")",
        "34 USB serial port (" + system.dev("ttyUSB1") + ")",
        "68 GPS receiver (" + system.dev("ttyACM3") + ")",
        "97 Bluetooth serial port 00:11:22:AA:BB:CC (" + system.dev("rfcomm0") + ")",
        "98 Bluetooth serial port (" + system.dev("rfcomm1") + ")",
        "99 Bluetooth serial port (" + system.dev("rfcomm2") + ")",
        "200 Link to " + system.dev("pts") + " (" + system.link("com200") + ")",
    };
    EXPECT_EQ(listed(system), expected);
    EXPECT_EQ(listed(system), expected) << "a second refresh gives the same list";
}

TEST(PortListPosix, UserLinksFollowTheNameRule) {
    struct Case {
        const char* name;
        std::vector<std::string> links;
        std::vector<std::string> listed; // "number link-name"
    };
    const Case cases[] = {
        {"lower, upper and mixed case with zeros",
         {"com3", "COM4", "Com05"},
         {"3 com3", "4 COM4", "5 Com05"}},
        {"names that are no COM port are left out",
         {"COM", "COMx", "COM3A", "COM-1", "LPT1", "COM256", "com 7"},
         {}},
        {"COM255 is kept, COM0 too", {"COM255", "com0"}, {"0 com0", "255 COM255"}},
        {"two links for one number: the last name wins", {"COM03", "com3"}, {"3 com3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePortTree system;
        system.addDevice("target");
        for (const std::string& link : c.links)
            system.addLink(link, system.dev("target"));
        std::vector<std::string> expected;
        for (const std::string& entry : c.listed) {
            const std::string linkName = entry.substr(entry.find(' ') + 1);
            expected.push_back(entry.substr(0, entry.find(' ')) + " Link to " +
                               system.dev("target") + " (" + system.link(linkName) + ")");
        }
        EXPECT_EQ(listed(system), expected);
    }
}

TEST(PortListPosix, LinksDecideTheirNumbers) {
    FakePortTree system;
    system.addUsb("ttyUSB0", "Maker", "Cable");
    system.addUsb("ttyUSB1", "Maker", "Other cable");
    system.addDevice("pts");
    system.addLink("com33", system.dev("pts")); // a link takes the fixed number's place
    system.addLink("com34",
                   system.dev("gone")); // a dangling link hides the fixed device, as opening does
    system.addLink("com5", "relative-missing");    // dangling, nothing else claims 5
    system.addLink("com6", system.dev("ttyUSB0")); // a second number for one device
    const std::vector<std::string> expected = {
        "6 Link to " + system.dev("ttyUSB0") + " (" + system.link("com6") + ")",
        "33 Link to " + system.dev("pts") + " (" + system.link("com33") + ")",
    };
    EXPECT_EQ(listed(system), expected);
}

TEST(PortListPosix, PairedLoggersKeepNumbersOfTheirOwn) {
    FakePortTree system;
    system.addDevice("target");
    system.addLink("com129", system.dev("target"));
    const std::vector<PairedDevice> paired = {{"00:11:22:33:44:55", "ZOR 7700"},
                                              {"00:11:22:33:44:56", ""}};
    const std::vector<std::string> expected = {
        "129 Link to " + system.dev("target") + " (" + system.link("com129") + ")",
        "130 Bluetooth 00:11:22:33:44:55 ZOR 7700",
        "131 Bluetooth 00:11:22:33:44:56",
    };
    EXPECT_EQ(listed(system, paired), expected);
    EXPECT_EQ(listed(system, {paired[1]}), (std::vector<std::string>{expected[0], expected[2]}))
        << "a logger keeps its number while another one is away";
}

TEST(PortListPosix, AnUnreadableDeviceFolderGivesAnEmptyList) {
    FakePortTree system;
    system.addDevice("ttyUSB0");
    PortList ports;
    PortSlots stale;
    stale.put(1, u"stale");
    stale.moveTo(ports);
    ComPortRoots roots = system.roots;
    roots.devDir = system.folder.path().string() + "/missing";
    EXPECT_FALSE(refreshPortList(ports, roots));
    EXPECT_EQ(ports.count, 0);
}

} // namespace
