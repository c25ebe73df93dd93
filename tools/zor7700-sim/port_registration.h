#pragma once

#include "support/com_port_map_posix.h"
#include "support/non_copyable.h"

#include <cstdint>
#include <string>
#include <vector>

// Makes the pseudo-terminal known under a COM number: the link comN in the
// user's ports folder and, on request, the link comN in a Wine prefix's
// dosdevices folder (Wine opens \\.\COMn through it). Each link carries an
// owner mark (support/link_owner_mark_posix.h) while the simulator runs, so a link
// that outlives a killed simulator is never taken for a port. Every link
// made is removed again by remove() or on destruction.
class PortRegistration : NonCopyable {
public:
    PortRegistration() = default;
    ~PortRegistration() { remove(); }

    // What a COM number already names: a user link (present or not: it
    // claims its number), a present device, or a paired Bluetooth logger;
    // empty when the number is free.
    static std::string claimOf(int32_t number, const ComPortRoots& roots);
    // The lowest free number from 1 on; -1 if none is free.
    static int32_t lowestFreeNumber(const ComPortRoots& roots);

    // A link left by a simulator that has ended is replaced, as is one whose
    // target is gone; a link to a present device is not.
    bool addLink(const std::string& folder, const std::string& name, const std::string& device,
                 std::string& error);
    void remove();

private:
    struct MarkedLink {
        std::string path;
        int mark; // holds the owner mark's lock
    };
    std::vector<MarkedLink> links;
};

// The dosdevices folder of the Wine prefix to use: `prefix`, else WINEPREFIX,
// else ~/.wine.
std::string wineDosDevices(const std::string& prefix);
