#pragma once

#include "support/com_port_map_posix.h"
#include "support/temp_folder.h"

#include <cstdint>
#include <string>

// A private /dev, /sys and ports folder shaped like the kernel's, removed
// with the object, for the COM numbering's and the port list's tests.
class FakePortTree {
public:
    FakePortTree();

    // An empty node in /dev.
    void addDevice(const std::string& name);
    // A ttyS node with the kernel's port type (0: no UART behind it).
    void addUart(const std::string& name, const char* type);
    // A USB device with its interface and tty below it, as sysfs lays them
    // out; an empty maker or product leaves that attribute out.
    void addUsb(const std::string& name, const std::string& maker, const std::string& product);
    // An rfcomm node; an empty address leaves the attribute out.
    void addRfcomm(const std::string& name, const std::string& address);
    // A link `name` in the ports folder to `target`.
    void addLink(const std::string& name, const std::string& target);
    // A link that a program made and left behind when it was killed: its
    // owner mark is there, but nobody holds it.
    void addAbandonedLink(const std::string& name, const std::string& target);
    // The Bluetooth port file's content.
    void writeBluetoothPorts(const std::string& text);

    std::string dev(const std::string& name) const { return roots.devDir + "/" + name; }
    std::string link(const std::string& name) const { return roots.userPortsDir + "/" + name; }

    // One line of text in a sysfs attribute file, its folders made.
    void addAttribute(const std::string& path, const std::string& value);

    TempFolder folder;
    ComPortRoots roots;
};
