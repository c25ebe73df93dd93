#pragma once

#include <cstdint>
#include <string>

// Where there are no COM ports, numbers 0 to 255 name serial devices:
// user-defined links ~/.config/ZOR/ports/comN first, then fixed blocks
// (/dev/ttyS<n> is COM<n+1>, ttyUSB<n> COM<33+n>, ttyACM<n> COM<65+n>,
// rfcomm<n> COM<97+n>, n 0 to 31). Used by the POSIX serial link and port
// discovery only. The roots are parameters so tests can use a fake tree.
struct ComPortRoots {
    std::string userPortsDir; // the folder of the comN links
    std::string devDir = "/dev";
    std::string sysDir = "/sys";

    // userPortsDir from XDG_CONFIG_HOME (or HOME/.config) + "/ZOR/ports".
    static ComPortRoots fromEnvironment();
};

// The user link in the ports folder that names a COM number: "com3", "COM3"
// and "Com03" all name 3; of several, the last in name order. Empty when none.
// A link whose maker has ended without removing it (link_owner_mark.h) is no
// link at all: its terminal may belong to somebody else by now.
std::string userPortLink(int32_t portNumber, const ComPortRoots& roots);

// The device path a COM number stands for (a user link's path itself, or the
// fixed block's device); empty when the number names nothing present.
std::string comPortDevicePath(int32_t portNumber, const ComPortRoots& roots);

// What a COM number names whether present or not: the user link, or the fixed
// block's device path; empty for a number that no link or block names. Says
// which device is missing when comPortDevicePath() finds none.
std::string comPortNominalPath(int32_t portNumber, const ComPortRoots& roots);

// The COM number of a device name in the fixed blocks ("ttyUSB2" gives 35);
// -1 when the name is outside them.
int32_t comPortNumberForDevice(const std::string& deviceName);
