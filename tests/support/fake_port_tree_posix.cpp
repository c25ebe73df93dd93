#include "support/fake_port_tree_posix.h"

#include "support/bluetooth_ports_posix.h"
#include "support/link_owner_mark_posix.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

FakePortTree::FakePortTree() {
    std::string root = folder.path().string();
    roots.devDir = root + "/dev";
    roots.sysDir = root + "/sys";
    roots.userPortsDir = root + "/config/ZOR/ports";
    fs::create_directories(roots.devDir);
    fs::create_directories(roots.sysDir + "/class/tty");
    fs::create_directories(roots.userPortsDir);
}

void FakePortTree::addDevice(const std::string& name) {
    std::ofstream(dev(name));
}

void FakePortTree::addAttribute(const std::string& path, const std::string& value) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << value << "\n";
}

void FakePortTree::addUart(const std::string& name, const char* type) {
    addDevice(name);
    addAttribute(roots.sysDir + "/class/tty/" + name + "/type", type);
}

void FakePortTree::addUsb(const std::string& name, const std::string& maker,
                          const std::string& product) {
    addDevice(name);
    const std::string device = roots.sysDir + "/devices/pci0/usb1/1-" + name;
    fs::create_directories(device + "/1-1:1.0/" + name);
    addAttribute(device + "/idVendor", "0403");
    if (!maker.empty())
        addAttribute(device + "/manufacturer", maker);
    if (!product.empty())
        addAttribute(device + "/product", product);
    fs::create_directories(roots.sysDir + "/class/tty/" + name);
    fs::create_symlink("../../../devices/pci0/usb1/1-" + name + "/1-1:1.0/" + name,
                       roots.sysDir + "/class/tty/" + name + "/device");
}

void FakePortTree::addRfcomm(const std::string& name, const std::string& address) {
    addDevice(name);
    if (!address.empty())
        addAttribute(roots.sysDir + "/class/tty/" + name + "/address", address);
}

void FakePortTree::addLink(const std::string& name, const std::string& target) {
    fs::create_symlink(target, link(name));
}

void FakePortTree::addAbandonedLink(const std::string& name, const std::string& target) {
    addLink(name, target);
    std::ofstream(linkOwnerMark(link(name))) << "4242\n";
}

void FakePortTree::writeBluetoothPorts(const std::string& text) {
    std::ofstream(bluetoothPortsFile(roots), std::ios::binary) << text;
}
