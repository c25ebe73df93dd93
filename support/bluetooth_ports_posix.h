#pragma once

#include "support/com_port_map_posix.h"

#include <cstdint>
#include <string>
#include <vector>

// A paired Bluetooth logger keeps its COM number in the text file "bluetooth"
// in the ports folder, one line per device: "NUMBER ADDRESS CHANNEL", for
// example "129 00:11:22:AA:BB:CC 1". A user may edit it: "#" starts a
// comment, a line without a channel means channel 1, and a line that does not
// read so is ignored. So is a line whose number a fixed block or a user link
// owns (they come first) or an earlier line took, and a second line for one
// address. Used by the POSIX port discovery and serial link only.
struct BluetoothPort {
    int32_t number = -1;
    std::string address; // "00:11:22:AA:BB:CC", upper case
    int32_t channel = 1;
};

// The file's path in the ports folder.
std::string bluetoothPortsFile(const ComPortRoots& roots);

// The usable lines of the file, in file order.
std::vector<BluetoothPort> readBluetoothPorts(const ComPortRoots& roots);

// The port a COM number names; false when no usable line names it.
bool findBluetoothPort(int32_t portNumber, const ComPortRoots& roots, BluetoothPort& port);

// One port per address, in the order given: each address keeps its line; a
// new one gets the lowest free number from 129 on (past the fixed blocks,
// skipping user links), appended to the file at once. An address left without
// a number (no address, all numbers taken, the file cannot be written) gets
// the number -1.
std::vector<BluetoothPort> assignBluetoothPorts(const std::vector<std::string>& addresses,
                                                const ComPortRoots& roots);

// "00:11:22:aa:bb:cc" as "00:11:22:AA:BB:CC"; empty for text that is no address.
std::string bluetoothAddress(const std::string& text);
