#include "port_registration.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Creates the folder and its missing parents.
bool makeFolders(const std::string& folder) {
    size_t slash = 0;
    do {
        slash = folder.find('/', slash + 1);
        std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    } while (slash != std::string::npos);
    return true;
}

} // namespace

int32_t PortRegistration::lowestFreeNumber(const ComPortRoots& roots) {
    for (int32_t number = 1; number <= 255; ++number) {
        if (comPortDevicePath(number, roots).empty())
            return number;
    }
    return -1;
}

bool PortRegistration::addLink(const std::string& folder, const std::string& name,
                               const std::string& device, std::string& error) {
    std::string link = folder + "/" + name;
    struct stat target {};
    if (stat(link.c_str(), &target) == 0) {
        error = link + " already names a present device";
        return false;
    }
    if (!makeFolders(folder)) {
        error = "cannot create " + folder + ": " + std::strerror(errno);
        return false;
    }
    unlink(link.c_str());
    if (symlink(device.c_str(), link.c_str()) != 0) {
        error = "cannot create " + link + ": " + std::strerror(errno);
        return false;
    }
    links.push_back(link);
    return true;
}

void PortRegistration::remove() {
    for (const std::string& link : links)
        unlink(link.c_str());
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
