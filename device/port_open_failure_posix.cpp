#include "device/port_open_failure_posix.h"

#include "device/lock_holder_posix.h"
#include "device/serial_port.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The worker thread opens, the tool's main thread asks why afterwards.
std::mutex failureMutex;
std::string failureText;

// Serial devices belong to a group (dialout on Debian) whose members may use
// them; that group is the remedy only when it has read and write access.
std::string permissionText(const std::string& path) {
    std::string text = "permission denied on " + path;
    struct stat info {};
    constexpr mode_t kGroupReadWrite = S_IRGRP | S_IWGRP;
    group entry{};
    group* found = nullptr;
    std::array<char, 4096> names{};
    if (stat(path.c_str(), &info) != 0 || (info.st_mode & kGroupReadWrite) != kGroupReadWrite ||
        info.st_gid == 0 ||
        getgrgid_r(info.st_gid, &entry, names.data(), names.size(), &found) != 0 ||
        found == nullptr)
        return text + ": you need read and write access to it";
    std::string name = found->gr_name;
    return text + ": join the group " + name + " (sudo usermod -aG " + name +
           " $USER), then log in again";
}

} // namespace

void notePortOpenFailure(const std::string& text) {
    std::lock_guard<std::mutex> guard(failureMutex);
    failureText = text;
}

std::string lastPortOpenFailure() {
    std::lock_guard<std::mutex> guard(failureMutex);
    return failureText;
}

// A dangling user link names the device it waits for.
std::string portMissingText(int32_t portNumber, const ComPortRoots& roots) {
    std::string nominal = comPortNominalPath(portNumber, roots);
    if (nominal.empty())
        return "COM" + std::to_string(portNumber) + " names no serial device";
    std::array<char, PATH_MAX> target{};
    ssize_t length = readlink(nominal.c_str(), target.data(), target.size() - 1);
    if (length <= 0)
        return "no such device: " + nominal;
    return "no such device: " + std::string(target.data(), static_cast<size_t>(length)) +
           " (linked as " + nominal + ")";
}

std::string portInUseText(const std::string& path, int32_t holder) {
    return path + " is in use by " +
           (holder > 0 ? "process " + describeProcess(holder) : std::string("another program"));
}

std::string portOpenErrorText(const std::string& path, int error) {
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "no such device: " + path;
    case EACCES:
    case EPERM:
        return permissionText(path);
    case EBUSY:
        return portInUseText(path, 0);
    default:
        return "cannot open " + path + ": " + std::strerror(error);
    }
}

std::string portSetUpErrorText(const std::string& path, int error) {
    return "cannot set up " + path + ": " + std::strerror(error);
}

// The kernel's words for Bluetooth (a page timeout is "Host is down") mean
// little to a user; these are the causes behind them.
std::string bluetoothConnectErrorText(const std::string& address, int32_t channel, int error) {
    std::string device = "Bluetooth " + address;
    switch (error) {
    case EHOSTDOWN:
    case ETIMEDOUT:
        return device + " does not answer: the logger is switched off or out of range";
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENODEV:
    case EADDRNOTAVAIL:
        return "cannot reach " + device + ": the Bluetooth adapter is off (switch Bluetooth on)";
    case EAFNOSUPPORT:
    case EPROTONOSUPPORT:
        return "cannot reach " + device + ": this system has no Bluetooth serial port support";
    case ECONNREFUSED:
        return device + " refused the connection on channel " + std::to_string(channel);
    case EACCES:
    case EBADE:
        return device + " refused the pairing: pair the logger again";
    default:
        return "cannot connect to " + device + ": " + std::strerror(error);
    }
}
