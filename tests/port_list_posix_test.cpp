#include "support/port_list_posix.h"

#include "support/utf8_text.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// A private /dev, /sys and ports folder, shaped like the kernel's, removed afterwards.
class FakeSystem {
public:
    FakeSystem()
    {
        std::string pattern = (fs::temp_directory_path() / "zor-ports-XXXXXX").string();
        root = mkdtemp(pattern.data());
        roots.devDir = root + "/dev";
        roots.sysDir = root + "/sys";
        roots.userPortsDir = root + "/config/ZOR/ports";
        fs::create_directories(roots.devDir);
        fs::create_directories(roots.sysDir + "/class/tty");
        fs::create_directories(roots.userPortsDir);
    }
    ~FakeSystem() { fs::remove_all(root); }

    std::string dev(const std::string& name) const { return roots.devDir + "/" + name; }
    std::string link(const std::string& name) const { return roots.userPortsDir + "/" + name; }

    void node(const std::string& name) { std::ofstream(dev(name)).put('\0'); }
    void attribute(const std::string& path, const std::string& value)
    {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << value << "\n";
    }
    void uart(const std::string& name, const char* type)
    {
        node(name);
        attribute(roots.sysDir + "/class/tty/" + name + "/type", type);
    }
    // A USB device with its interface and tty below it, as sysfs lays them out.
    void usb(const std::string& name, const std::string& maker, const std::string& product)
    {
        node(name);
        const std::string device = roots.sysDir + "/devices/pci0/usb1/1-" + name;
        const std::string tty = device + "/1-1:1.0/" + name;
        fs::create_directories(tty);
        attribute(device + "/idVendor", "0403");
        if (!maker.empty())
            attribute(device + "/manufacturer", maker);
        if (!product.empty())
            attribute(device + "/product", product);
        fs::create_directories(roots.sysDir + "/class/tty/" + name);
        fs::create_symlink("../../../devices/pci0/usb1/1-" + name + "/1-1:1.0/" + name,
                           roots.sysDir + "/class/tty/" + name + "/device");
    }
    void rfcomm(const std::string& name, const std::string& address)
    {
        node(name);
        if (!address.empty())
            attribute(roots.sysDir + "/class/tty/" + name + "/address", address);
    }
    void userLink(const std::string& name, const std::string& target) { fs::create_symlink(target, link(name)); }

    std::vector<std::string> listed(const std::vector<PairedDevice>& paired = {}) const
    {
        PortList ports;
        EXPECT_TRUE(refreshPortList(ports, roots, paired));
        std::vector<std::string> lines;
        for (int32_t i = 0; i < ports.count; ++i)
            lines.push_back(std::to_string(ports.portNumbers[i]) + " " + utf8FromUtf16(ports.descriptions[i].c_str()));
        return lines;
    }

    std::string root;
    ComPortRoots roots;
};

TEST(PortListPosix, ListsPresentPortsWithTheirDescriptions)
{
    FakeSystem system;
    system.uart("ttyS0", "4");
    system.uart("ttyS1", "0");  // the 8250 driver's placeholder without a UART
    system.node("ttyS2");       // no sysfs facts at all
    system.usb("ttyUSB0", "FTDI", "FT232R USB UART");
    system.usb("ttyUSB1", "", "");
    system.usb("ttyACM3", "", "GPS receiver");
    system.rfcomm("rfcomm0", "00:11:22:aa:bb:cc");
    system.rfcomm("rfcomm1", "00:00:00:00:00:00");
    system.rfcomm("rfcomm2", "");
    system.node("pts");
    system.userLink("com200", system.dev("pts"));

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
    EXPECT_EQ(system.listed(), expected);
    EXPECT_EQ(system.listed(), expected) << "a second refresh gives the same list";
}

TEST(PortListPosix, UserLinksFollowTheNameRule)
{
    struct Case {
        const char* name;
        std::vector<std::string> links;
        std::vector<std::string> listed; // "number link-name"
    };
    const Case cases[] = {
        {"lower, upper and mixed case with zeros", {"com3", "COM4", "Com05"}, {"3 com3", "4 COM4", "5 Com05"}},
        {"names that are no COM port are left out", {"COM", "COMx", "COM3A", "COM-1", "LPT1", "COM256", "com 7"}, {}},
        {"COM255 is kept, COM0 too", {"COM255", "com0"}, {"0 com0", "255 COM255"}},
        {"two links for one number: the last name wins", {"COM03", "com3"}, {"3 com3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem system;
        system.node("target");
        for (const std::string& link : c.links)
            system.userLink(link, system.dev("target"));
        std::vector<std::string> expected;
        for (const std::string& entry : c.listed) {
            const std::string linkName = entry.substr(entry.find(' ') + 1);
            expected.push_back(entry.substr(0, entry.find(' ')) + " Link to " + system.dev("target") + " ("
                               + system.link(linkName) + ")");
        }
        EXPECT_EQ(system.listed(), expected);
    }
}

TEST(PortListPosix, LinksDecideTheirNumbers)
{
    FakeSystem system;
    system.usb("ttyUSB0", "Maker", "Cable");
    system.usb("ttyUSB1", "Maker", "Other cable");
    system.node("pts");
    system.userLink("com33", system.dev("pts"));         // a link takes the fixed number's place
    system.userLink("com34", system.dev("gone"));        // a dangling link hides the fixed device, as opening does
    system.userLink("com5", "relative-missing");         // dangling, nothing else claims 5
    system.userLink("com6", system.dev("ttyUSB0"));      // a second number for one device
    const std::vector<std::string> expected = {
        "6 Link to " + system.dev("ttyUSB0") + " (" + system.link("com6") + ")",
        "33 Link to " + system.dev("pts") + " (" + system.link("com33") + ")",
    };
    EXPECT_EQ(system.listed(), expected);
}

TEST(PortListPosix, PairedLoggersKeepNumbersOfTheirOwn)
{
    FakeSystem system;
    system.node("target");
    system.userLink("com129", system.dev("target"));
    const std::vector<PairedDevice> paired = {{"00:11:22:33:44:55", "ZOR 7700"}, {"00:11:22:33:44:56", ""}};
    const std::vector<std::string> expected = {
        "129 Link to " + system.dev("target") + " (" + system.link("com129") + ")",
        "130 Bluetooth 00:11:22:33:44:55 ZOR 7700",
        "131 Bluetooth 00:11:22:33:44:56",
    };
    EXPECT_EQ(system.listed(paired), expected);
    EXPECT_EQ(system.listed({paired[1]}), (std::vector<std::string>{expected[0], expected[2]}))
        << "a logger keeps its number while another one is away";
}

TEST(PortListPosix, AnUnreadableDeviceFolderGivesAnEmptyList)
{
    FakeSystem system;
    system.node("ttyUSB0");
    PortList ports;
    PortSlots stale;
    stale.put(1, u"stale");
    stale.moveTo(ports);
    ComPortRoots roots = system.roots;
    roots.devDir = system.root + "/missing";
    EXPECT_FALSE(refreshPortList(ports, roots));
    EXPECT_EQ(ports.count, 0);
}

} // namespace
