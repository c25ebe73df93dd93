#include "port_registration.h"

#include "support/bluetooth_ports_posix.h"
#include "support/link_owner_mark_posix.h"
#include "support/atomic_file_posix.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

std::string PortRegistration::claimOf(int32_t number, const ComPortRoots& roots) {
    std::string link = userPortLink(number, roots);
    if (!link.empty())
        return link;
    std::string device = comPortDevicePath(number, roots);
    if (!device.empty())
        return device;
    BluetoothPort bluetooth;
    if (findBluetoothPort(number, roots, bluetooth))
        return "Bluetooth " + bluetooth.address;
    return {};
}

int32_t PortRegistration::lowestFreeNumber(const ComPortRoots& roots) {
    for (int32_t number = 1; number <= 255; ++number) {
        if (claimOf(number, roots).empty())
            return number;
    }
    return -1;
}

// The mark comes before the link, so no reader ever sees our link unmarked.
bool PortRegistration::addLink(const std::string& folder, const std::string& name,
                               const std::string& device, std::string& error) {
    std::string link = folder + "/" + name;
    struct stat target {};
    if (!isAbandonedLink(link) && stat(link.c_str(), &target) == 0) {
        error = link + " already names a present device";
        return false;
    }
    if (!makeFolders(folder, 0755)) {
        error = "cannot create " + folder + ": " + std::strerror(errno);
        return false;
    }
    int mark = takeLinkOwnerMark(link);
    if (mark < 0) {
        error = "cannot mark " + link + " as this simulator's: " + std::strerror(errno);
        return false;
    }
    unlink(link.c_str());
    if (symlink(device.c_str(), link.c_str()) != 0) {
        error = "cannot create " + link + ": " + std::strerror(errno);
        unlink(linkOwnerMark(link).c_str());
        close(mark);
        return false;
    }
    links.push_back({link, mark});
    return true;
}

void PortRegistration::remove() {
    for (const MarkedLink& link : links) {
        unlink(link.path.c_str());
        unlink(linkOwnerMark(link.path).c_str());
        close(link.mark);
    }
    links.clear();
}

std::string wineDosDevices(const std::string& prefix) {
    if (!prefix.empty())
        return prefix + "/dosdevices";
    const char* fromEnvironment = std::getenv("WINEPREFIX");
    if (fromEnvironment != nullptr && *fromEnvironment != 0) {
        return std::string(fromEnvironment) + "/dosdevices";
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.wine/dosdevices";
}
