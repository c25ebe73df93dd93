#include "support/com_port_map_posix.h"

#include "support/link_owner_mark_posix.h"
#include "support/port_list.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <sys/stat.h>

namespace {

// The fixed blocks: a device name prefix and the COM number of its unit 0.
struct DeviceBlock {
    const char* prefix;
    int32_t firstNumber;
};

constexpr DeviceBlock kBlocks[] = {
    {"ttyS", 1},
    {"ttyUSB", 33},
    {"ttyACM", 65},
    {"rfcomm", 97},
};
constexpr int32_t kUnitsPerBlock = 32;
constexpr int32_t kHighestPort = 255;

bool exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

bool isLink(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// Every ttyS node exists whether or not a UART sits behind it; the kernel
// gives the ones without hardware the port type 0.
bool hasUartHardware(const std::string& deviceName, const ComPortRoots& roots) {
    std::FILE* typeFile =
        std::fopen((roots.sysDir + "/class/tty/" + deviceName + "/type").c_str(), "r");
    if (typeFile == nullptr)
        return false;
    int type = 0;
    bool known = std::fscanf(typeFile, "%d", &type) == 1 && type != 0;
    std::fclose(typeFile);
    return known;
}

bool fixedDevicePresent(const DeviceBlock& block, const std::string& deviceName,
                        const ComPortRoots& roots) {
    if (!exists(roots.devDir + "/" + deviceName))
        return false;
    return std::strcmp(block.prefix, "ttyS") != 0 || hasUartHardware(deviceName, roots);
}

// Link names follow the rule for port names; bytes outside ASCII never match it.
int32_t linkNameNumber(const char* name) {
    std::u16string wide(name, name + std::strlen(name));
    return portNumberFromName(wide.c_str());
}

// The fixed block's device of a COM number; null block when none holds it.
const DeviceBlock* fixedBlock(int32_t portNumber, std::string& deviceName) {
    for (const DeviceBlock& block : kBlocks) {
        int32_t unit = portNumber - block.firstNumber;
        if (unit < 0 || unit >= kUnitsPerBlock)
            continue;
        deviceName = block.prefix + std::to_string(unit);
        return &block;
    }
    return nullptr;
}

} // namespace

std::string userPortLink(int32_t portNumber, const ComPortRoots& roots) {
    if (portNumber < 0 || roots.userPortsDir.empty())
        return {};
    DIR* folder = opendir(roots.userPortsDir.c_str());
    if (folder == nullptr)
        return {};
    std::string chosen;
    while (const dirent* entry = readdir(folder)) {
        std::string name = entry->d_name;
        std::string path = roots.userPortsDir + "/" + name;
        if (linkNameNumber(entry->d_name) == portNumber && name > chosen && isLink(path) &&
            !isAbandonedLink(path))
            chosen = name;
    }
    closedir(folder);
    return chosen.empty() ? chosen : roots.userPortsDir + "/" + chosen;
}

ComPortRoots ComPortRoots::fromEnvironment() {
    ComPortRoots roots;
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && configHome[0] == '/') {
        roots.userPortsDir = std::string(configHome) + "/ZOR/ports";
    } else {
        const char* home = std::getenv("HOME");
        roots.userPortsDir = std::string(home != nullptr ? home : "") + "/.config/ZOR/ports";
    }
    return roots;
}

std::string comPortNominalPath(int32_t portNumber, const ComPortRoots& roots) {
    if (portNumber < 0 || portNumber > kHighestPort)
        return {};
    std::string link = userPortLink(portNumber, roots);
    if (!link.empty())
        return link;
    std::string deviceName;
    return fixedBlock(portNumber, deviceName) ? roots.devDir + "/" + deviceName : std::string();
}

// A user link claims its number outright: when its target is missing the
// number names nothing, rather than silently meaning a fixed-block device.
std::string comPortDevicePath(int32_t portNumber, const ComPortRoots& roots) {
    if (portNumber < 0 || portNumber > kHighestPort)
        return {};
    std::string link = userPortLink(portNumber, roots);
    if (!link.empty())
        return exists(link) ? link : std::string();
    std::string deviceName;
    const DeviceBlock* block = fixedBlock(portNumber, deviceName);
    return block && fixedDevicePresent(*block, deviceName, roots) ? roots.devDir + "/" + deviceName
                                                                  : std::string();
}

int32_t comPortNumberForDevice(const std::string& deviceName) {
    for (const DeviceBlock& block : kBlocks) {
        size_t prefixLength = std::strlen(block.prefix);
        if (deviceName.compare(0, prefixLength, block.prefix) != 0)
            continue;
        std::string unitText = deviceName.substr(prefixLength);
        if (unitText.empty() || unitText.size() > 2)
            continue;
        if (unitText.find_first_not_of("0123456789") != std::string::npos)
            continue;
        if (unitText.size() == 2 && unitText[0] == '0')
            continue;
        int32_t unit = std::atoi(unitText.c_str());
        if (unit < kUnitsPerBlock)
            return block.firstNumber + unit;
    }
    return -1;
}
