#pragma once

#include "support/com_port_map_posix.h"
#include "support/bluetooth_devices_posix.h"
#include "support/port_list.h"

#include <vector>

// Refresh against given /dev, /sys and user-port folders: every COM number
// that opens a present device, described by what sysfs knows of it, the
// description ending with the device path; then the `paired` loggers under
// their Bluetooth numbers (support/bluetooth_ports_posix.h), described as
// "Bluetooth <address> <name>", so that the 79-character cut of the port
// page can only shorten the name.
bool refreshPortList(PortList& ports, const ComPortRoots& roots,
                     const std::vector<PairedDevice>& paired = {});
