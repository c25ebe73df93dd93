#include "support/bluetooth_ports_posix.h"

#include "support/fake_port_tree_posix.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> described(const std::vector<BluetoothPort>& ports) {
    std::vector<std::string> lines;
    for (const BluetoothPort& port : ports) {
        lines.push_back(std::to_string(port.number) + " " + port.address + " " +
                        std::to_string(port.channel));
    }
    return lines;
}

TEST(BluetoothPorts, ReadsTheLinesAUserMayWrite) {
    struct Row {
        const char* name;
        std::string file;
        std::vector<std::string> usable;
    };
    const Row rows[] = {
        {"number, address and channel", "129 00:11:22:33:44:55 3\n", {"129 00:11:22:33:44:55 3"}},
        {"no channel means 1, case and CR LF do not matter",
         "200 aa:bb:cc:dd:ee:0f\r\n",
         {"200 AA:BB:CC:DD:EE:0F 1"}},
        {"comments and blank lines",
         "# mine\n\n  131 00:11:22:33:44:55 2  # logger\n",
         {"131 00:11:22:33:44:55 2"}},
        {"lines that do not read as a port",
         "x 00:11:22:33:44:55\n129 00:11:22:33:44\n129 00-11-22-33-44-55\n"
         "129 00:11:22:33:44:5G\n129 00:11:22:33:44:55 31\n129 00:11:22:33:44:55 0\n"
         "129 00:11:22:33:44:55 1 more\n256 00:11:22:33:44:55\n-1 00:11:22:33:44:55\n",
         {}},
        {"numbers of a fixed block and of a user link are theirs",
         "1 00:11:22:33:44:55\n130 00:11:22:33:44:56\n",
         {}},
        {"a number or an address taken by an earlier line",
         "129 00:11:22:33:44:55\n129 00:11:22:33:44:56\n140 00:11:22:33:44:55\n",
         {"129 00:11:22:33:44:55 1"}},
        {"COM0 lies outside the blocks", "0 00:11:22:33:44:55 4", {"0 00:11:22:33:44:55 4"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakePortTree tree;
        tree.addLink("com130", tree.dev("unplugged"));
        tree.writeBluetoothPorts(row.file);
        EXPECT_EQ(row.usable, described(readBluetoothPorts(tree.roots)));
    }
}

TEST(BluetoothPorts, NewDevicesGetTheLowestFreeNumbersAndKeepThem) {
    FakePortTree tree;
    tree.addLink("COM129", tree.dev("unplugged"));
    const std::string userText = "# my logger\n131 AA:BB:CC:DD:EE:FF 2";
    tree.writeBluetoothPorts(userText);
    const std::vector<std::string> paired = {"00:00:00:00:00:02", "aa:bb:cc:dd:ee:ff",
                                             "00:00:00:00:00:01", "not an address"};
    const std::vector<std::string> expected = {"130 00:00:00:00:00:02 1", "131 AA:BB:CC:DD:EE:FF 2",
                                               "132 00:00:00:00:00:01 1", "-1  1"};
    EXPECT_EQ(expected, described(assignBluetoothPorts(paired, tree.roots)));
    const std::string stored = readFile(bluetoothPortsFile(tree.roots));
    EXPECT_EQ(userText + "\n130 00:00:00:00:00:02 1\n132 00:00:00:00:00:01 1\n", stored);
    EXPECT_EQ(expected, described(assignBluetoothPorts(paired, tree.roots))) << "a second start";
    EXPECT_EQ(stored, readFile(bluetoothPortsFile(tree.roots))) << "nothing new to write";
}

TEST(BluetoothPorts, ANumberThatCannotBeKeptIsNotGiven) {
    FakePortTree tree;
    ComPortRoots fresh = tree.roots;
    fresh.userPortsDir = tree.folder.path().string() + "/new/ZOR/ports";
    EXPECT_EQ(std::vector<std::string>{"129 00:11:22:33:44:55 1"},
              described(assignBluetoothPorts({"00:11:22:33:44:55"}, fresh)))
        << "the ports folder is made";
    EXPECT_EQ(0u, readFile(bluetoothPortsFile(fresh)).rfind("# ", 0)) << "with a header line";

    std::ofstream(tree.folder.path() / "file") << "x";
    ComPortRoots unwritable = tree.roots;
    unwritable.userPortsDir = tree.folder.path().string() + "/file/ports";
    EXPECT_EQ(std::vector<std::string>{"-1 00:11:22:33:44:55 1"},
              described(assignBluetoothPorts({"00:11:22:33:44:55"}, unwritable)));
}

} // namespace
