#pragma once

#include "device/com_port_map.h"

#include <cstdint>
#include <string>
#include <vector>

// Makes the pseudo-terminal known under a COM number: the link comN in the
// user's ports folder and, on request, the link comN in a Wine prefix's
// dosdevices folder (Wine opens \\.\COMn through it). Every link made is
// removed again by remove() or on destruction.
class PortRegistration {
public:
    PortRegistration() = default;
    PortRegistration(const PortRegistration&) = delete;
    PortRegistration& operator=(const PortRegistration&) = delete;
    ~PortRegistration() { remove(); }

    // The lowest number from 1 on that names no present port; -1 if none is free.
    static int32_t lowestFreeNumber(const ComPortRoots& roots);

    // A link whose target is gone (left by a simulator that was killed) is
    // replaced; a link to a present device is not.
    bool addLink(const std::string& folder, const std::string& name, const std::string& device,
                 std::string& error);
    void remove();

private:
    std::vector<std::string> links;
};

// The dosdevices folder of the Wine prefix to use: `prefix`, else WINEPREFIX,
// else ~/.wine.
std::string wineDosDevices(const std::string& prefix);
