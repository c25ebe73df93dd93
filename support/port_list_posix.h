#pragma once

#include "device/com_port_map.h"
#include "support/bluetooth_devices.h"
#include "support/port_list.h"

#include <vector>

// Refresh against given /dev, /sys and user-port folders: every COM number
// that opens a present device, described by what sysfs knows of it, the
// description ending with the device path; then the `paired` loggers under
// their Bluetooth numbers (device/bluetooth_ports.h), described as
// "Bluetooth <address> <name>", so that the 79-character cut of the port
// page can only shorten the name.
bool refreshPortList(PortList& ports, const ComPortRoots& roots,
                     const std::vector<PairedDevice>& paired = {});
