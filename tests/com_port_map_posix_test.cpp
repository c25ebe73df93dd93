#include "support/com_port_map_posix.h"

#include "support/fake_port_tree_posix.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(ComPortMap, NumbersResolveToPresentDevices) {
    FakePortTree tree;
    tree.addUart("ttyS0", "4");
    tree.addUart("ttyS1", "0");
    tree.addDevice("ttyS2"); // no sysfs entry at all
    tree.addDevice("ttyUSB0");
    tree.addDevice("ttyUSB31");
    tree.addDevice("ttyACM2");
    tree.addDevice("rfcomm0");
    tree.addDevice("rfcomm31");
    tree.addDevice("pts7");
    tree.addDevice("rfcomm-target");
    tree.addLink("com5", tree.dev("pts7"));
    tree.addLink("com33", tree.dev("gone"));
    tree.addLink("com200", tree.dev("rfcomm-target"));
    tree.addAbandonedLink("com6", tree.dev("pts7"));
    std::string dev = tree.roots.devDir + "/";
    std::string ports = tree.roots.userPortsDir + "/";

    struct Case {
        const char* name;
        int32_t number;
        std::string expected;
        std::string nominal; // what is missing when nothing is present
    } cases[] = {
        {"COM1 is ttyS0 with a UART", 1, dev + "ttyS0", dev + "ttyS0"},
        {"ttyS1 of port type 0 is not present", 2, "", dev + "ttyS1"},
        {"ttyS2 without sysfs facts is not present", 3, "", dev + "ttyS2"},
        {"a missing ttyS node is not present", 4, "", dev + "ttyS3"},
        {"a user link takes precedence over ttyS4", 5, ports + "com5", ports + "com5"},
        {"a link its killed maker left is no link", 6, "", dev + "ttyS5"},
        {"COM32 is ttyS31, absent", 32, "", dev + "ttyS31"},
        {"a dangling user link hides ttyUSB0", 33, "", ports + "com33"},
        {"COM64 is ttyUSB31", 64, dev + "ttyUSB31", dev + "ttyUSB31"},
        {"COM67 is ttyACM2", 67, dev + "ttyACM2", dev + "ttyACM2"},
        {"COM97 is rfcomm0", 97, dev + "rfcomm0", dev + "rfcomm0"},
        {"COM128 is rfcomm31", 128, dev + "rfcomm31", dev + "rfcomm31"},
        {"COM129 lies beyond the blocks", 129, "", ""},
        {"a user link may use a number beyond the blocks", 200, ports + "com200", ports + "com200"},
        {"COM0 has no fixed device", 0, "", ""},
        {"numbers above 255 name nothing", 256, "", ""},
        {"negative numbers name nothing", -1, "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(comPortDevicePath(c.number, tree.roots), c.expected) << c.name;
        EXPECT_EQ(comPortNominalPath(c.number, tree.roots), c.nominal) << c.name;
    }
}

TEST(ComPortMap, DeviceNamesGiveTheirFixedNumbers) {
    struct Case {
        const char* name;
        const char* device;
        int32_t expected;
    } cases[] = {
        {"first UART", "ttyS0", 1},
        {"last UART", "ttyS31", 32},
        {"UART unit 32 is outside the block", "ttyS32", -1},
        {"first USB adapter", "ttyUSB0", 33},
        {"USB adapter 2", "ttyUSB2", 35},
        {"first modem-class device", "ttyACM0", 65},
        {"last modem-class device", "ttyACM31", 96},
        {"first Bluetooth link", "rfcomm0", 97},
        {"last Bluetooth link", "rfcomm31", 128},
        {"a pseudo-terminal has no fixed number", "pts3", -1},
        {"a bare prefix is no device", "ttyUSB", -1},
        {"a leading zero is another name", "ttyS01", -1},
        {"trailing letters are another name", "ttyS1a", -1},
        {"a full path is not a device name", "/dev/ttyS0", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(comPortNumberForDevice(c.device), c.expected) << c.name;
    }
}

TEST(ComPortMap, UserFolderFollowsTheEnvironment) {
    struct Case {
        const char* name;
        const char* configHome;
        const char* home;
        const char* expected;
    } cases[] = {
        {"XDG_CONFIG_HOME wins", "/x/cfg", "/home/u", "/x/cfg/ZOR/ports"},
        {"HOME/.config without XDG_CONFIG_HOME", nullptr, "/home/u", "/home/u/.config/ZOR/ports"},
        {"a relative XDG_CONFIG_HOME is ignored", "rel", "/home/u", "/home/u/.config/ZOR/ports"},
    };
    std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
    std::string savedConfigText = savedConfig ? savedConfig : "";
    for (const Case& c : cases) {
        if (c.configHome)
            setenv("XDG_CONFIG_HOME", c.configHome, 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        setenv("HOME", c.home, 1);
        ComPortRoots roots = ComPortRoots::fromEnvironment();
        EXPECT_EQ(roots.userPortsDir, c.expected) << c.name;
        EXPECT_EQ(roots.devDir, "/dev") << c.name;
    }
    setenv("HOME", savedHome.c_str(), 1);
    if (savedConfig)
        setenv("XDG_CONFIG_HOME", savedConfigText.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}
