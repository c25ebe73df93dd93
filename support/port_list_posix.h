#pragma once

#include "device/com_port_map.h"
#include "support/port_list.h"

// Refresh against given /dev, /sys and user-port folders: every COM number
// that opens a present device, described by what sysfs knows of it, the
// description ending with the device path.
bool refreshPortList(PortList& ports, const ComPortRoots& roots);
