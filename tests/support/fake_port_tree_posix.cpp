#include "support/fake_port_tree_posix.h"

#include "device/bluetooth_ports.h"
#include "device/link_owner_mark.h"

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

void FakePortTree::addUart(const std::string& name, const char* type) {
    addDevice(name);
    fs::create_directories(roots.sysDir + "/class/tty/" + name);
    std::ofstream(roots.sysDir + "/class/tty/" + name + "/type") << type << "\n";
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
