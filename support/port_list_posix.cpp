#include "support/port_list_posix.h"

#include "support/bluetooth_ports_posix.h"
#include "support/utf8_text.h"

#include <cstdlib>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The first line of a sysfs attribute, without its trailing blanks.
std::string attribute(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    std::u16string valid;
    return utf16FromUtf8(line, valid) ? line : std::string();
}

std::string linkTarget(const std::string& path) {
    char target[4096];
    const ssize_t length = readlink(path.c_str(), target, sizeof target);
    return length > 0 ? std::string(target, static_cast<size_t>(length)) : std::string();
}

// A USB serial device sits a level or two below the USB device that carries
// the maker and product strings.
std::string usbDescription(const std::string& deviceName, const std::string& sysDir) {
    char* resolved = realpath((sysDir + "/class/tty/" + deviceName + "/device").c_str(), nullptr);
    std::string folder = resolved ? resolved : "";
    std::free(resolved);
    for (int level = 0; level < 4 && folder.size() > 1; ++level) {
        struct stat info {};
        if (stat((folder + "/idVendor").c_str(), &info) == 0) {
            const std::string maker = attribute(folder + "/manufacturer");
            const std::string product = attribute(folder + "/product");
            const std::string both =
                maker.empty() || product.empty() ? maker + product : maker + " " + product;
            if (!both.empty())
                return both;
            break;
        }
        folder.erase(folder.rfind('/'));
    }
    return "USB serial port";
}

// The kernel shows the remote address of a bound port; all zeros means none yet.
std::string bluetoothDescription(const std::string& deviceName, const std::string& sysDir) {
    const std::string address =
        bluetoothAddress(attribute(sysDir + "/class/tty/" + deviceName + "/address"));
    if (address.empty() || address == "00:00:00:00:00:00")
        return "Bluetooth serial port";
    return "Bluetooth serial port " + address;
}

std::string describe(const std::string& path, const ComPortRoots& roots) {
    if (startsWith(path, roots.userPortsDir + "/"))
        return "Link to " + linkTarget(path) + " (" + path + ")";
    const std::string deviceName = path.substr(path.rfind('/') + 1);
    std::string what = "Serial port";
    if (startsWith(deviceName, "ttyUSB") || startsWith(deviceName, "ttyACM"))
        what = usbDescription(deviceName, roots.sysDir);
    else if (startsWith(deviceName, "rfcomm"))
        what = bluetoothDescription(deviceName, roots.sysDir);
    return what + " (" + path + ")";
}

// The description starts with the address: the port page cuts a long name.
void addBluetoothPorts(PortSlots& slots, const ComPortRoots& roots,
                       const std::vector<PairedDevice>& paired) {
    std::vector<std::string> addresses;
    for (const PairedDevice& device : paired)
        addresses.push_back(device.address);
    const std::vector<BluetoothPort> ports = assignBluetoothPorts(addresses, roots);
    for (size_t i = 0; i < paired.size(); ++i) {
        const std::string name = paired[i].name.empty() ? "" : " " + paired[i].name;
        std::u16string description;
        if (ports[i].number >= 0 &&
            utf16FromUtf8("Bluetooth " + ports[i].address + name, description))
            slots.put(ports[i].number, description.c_str());
    }
}

} // namespace

bool PortList::Refresh() {
    return refreshPortList(*this, ComPortRoots::fromEnvironment(), pairedSerialDevices());
}

bool refreshPortList(PortList& ports, const ComPortRoots& roots,
                     const std::vector<PairedDevice>& paired) {
    PortSlots slots;
    struct stat info {};
    const bool readable = stat(roots.devDir.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    for (int32_t port = 0; readable && port < PortList::kMaxPorts; ++port) {
        const std::string path = comPortDevicePath(port, roots);
        std::u16string description;
        if (path.empty())
            continue;
        // A link target that is not UTF-8 leaves the description empty.
        if (!utf16FromUtf8(describe(path, roots), description))
            description.clear();
        slots.put(port, description.c_str());
    }
    addBluetoothPorts(slots, roots, paired);
    slots.moveTo(ports);
    return readable;
}
