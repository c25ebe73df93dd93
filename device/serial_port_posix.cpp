#include "device/serial_port.h"

#include "support/bluetooth_ports_posix.h"
#include "support/com_port_map_posix.h"
#include "device/lock_holder_posix.h"
#include "device/port_open_failure_posix.h"
#include "device/rfcomm_connect_posix.h"
#include "device/uucp_lock_posix.h"
#include "device/worker_platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Raw 57600 8N1 without flow control. VMIN 1 with a non-blocking descriptor
// makes an empty line answer EAGAIN, so a read of 0 bytes can only mean that
// the line hung up.
bool applyLineSettings(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cflag &= ~(CRTSCTS | CSTOPB | PARENB);
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (cfsetispeed(&settings, B57600) != 0 || cfsetospeed(&settings, B57600) != 0)
        return false;
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

speed_t speedOf(uint32_t baud) {
    switch (baud) {
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0;
    }
}

// A pseudo-terminal or a Bluetooth link has no modem lines to clear.
bool clearDtrAndRts(int fd) {
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(fd, TIOCMBIC, &lines) == 0)
        return true;
    return errno == ENOTTY || errno == EINVAL;
}

// TIOCEXCL does not hold back a privileged opener, so an advisory lock keeps
// two programs of ours (or a root-run one) apart as well. The lock comes
// first: an open refused for it must not leave the holder's terminal
// exclusive behind.
bool takeDeviceLock(int fd) {
    return flock(fd, LOCK_EX | LOCK_NB) == 0;
}

// The exclusive flag belongs to the terminal, not to our descriptor: a
// pseudo-terminal whose other side stays open would keep refusing opens.
void releaseExclusiveUse(int fd) {
    ioctl(fd, TIOCNXCL);
}

// Gives the lock back and says why the port stays closed.
bool refuse(std::string& lockFile, const std::string& why) {
    releaseUucpLock(lockFile);
    notePortOpenFailure(why);
    return false;
}

// Messages and lock names go by the device itself, not the user's link to it.
std::string deviceBehind(const std::string& path) {
    char* resolved = path.empty() ? nullptr : realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return path;
    std::string device = resolved;
    std::free(resolved);
    return device;
}

// A paired logger without `rfcomm bind`: a socket to its serial port channel,
// locked under its address as a bound port is under its device's name. The
// descriptor, or -1 with the lock given back and the cause noted.
int openBluetoothSocket(const BluetoothPort& port, std::string& lockFile) {
    int32_t holder = 0;
    if (!takeUucpLock(port.address, lockFile, holder)) {
        refuse(lockFile, portInUseText("Bluetooth " + port.address, holder));
        return -1;
    }
    int fd = connectRfcomm(port.address, port.channel);
    if (fd >= 0 && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK) == 0)
        return fd;
    refuse(lockFile, bluetoothConnectErrorText(port.address, port.channel, errno));
    if (fd >= 0)
        ::close(fd);
    return -1;
}

bool waitWritable(int fd, uint32_t deadline) {
    int32_t remaining = static_cast<int32_t>(deadline - tickCount());
    if (remaining <= 0)
        return false;
    pollfd request{fd, POLLOUT, 0};
    int ready = poll(&request, 1, remaining);
    if (ready < 0)
        return errno == EINTR;
    return ready > 0 && (request.revents & (POLLERR | POLLHUP | POLLNVAL)) == 0;
}

} // namespace

// The lock file comes first, as with other serial programs: a port that one
// of them uses is not even opened, so its modem lines stay as they are.
bool SerialPort::open(int32_t portNumber) {
    close();
    notePortOpenFailure({});
    ComPortRoots roots = ComPortRoots::fromEnvironment();
    std::string path = deviceBehind(comPortDevicePath(portNumber, roots));
    BluetoothPort bluetooth;
    if (path.empty() && findBluetoothPort(portNumber, roots, bluetooth)) {
        handle = openBluetoothSocket(bluetooth, lockFile);
        socketLink = handle != kInvalid;
        return socketLink;
    }
    if (path.empty())
        return refuse(lockFile, portMissingText(portNumber, roots));
    int32_t holder = 0;
    if (!takeUucpLock(uucpLockName(path), lockFile, holder))
        return refuse(lockFile, portInUseText(path, holder));
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refuse(lockFile, portOpenErrorText(path, errno));
    if (!takeDeviceLock(fd)) {
        ::close(fd);
        return refuse(lockFile, portInUseText(path, fileLockHolder(path)));
    }
    if (ioctl(fd, TIOCEXCL) != 0 || !applyLineSettings(fd) || !clearDtrAndRts(fd)) {
        std::string why = portSetUpErrorText(path, errno);
        releaseExclusiveUse(fd);
        ::close(fd);
        return refuse(lockFile, why);
    }
    handle = fd;
    return true;
}

// The line discipline hands over at most its own buffer per read call, so
// keep reading until the caller's buffer is full or the line is empty.
bool SerialPort::read(uint8_t* buffer, uint32_t capacity, uint32_t& bytesRead) {
    bytesRead = 0;
    while (bytesRead < capacity) {
        ssize_t got = ::read(static_cast<int>(handle), buffer + bytesRead, capacity - bytesRead);
        if (got > 0) {
            bytesRead += static_cast<uint32_t>(got);
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else if (got < 0 && errno == EAGAIN) {
            return true;
        } else {
            // A hang-up after some bytes: hand those over, the next read fails.
            return bytesRead > 0;
        }
    }
    return true;
}

bool SerialPort::write(const void* data, uint32_t size) {
    const uint8_t* next = static_cast<const uint8_t*>(data);
    uint32_t deadline = tickCount() + kWriteTimeoutMs + kWriteTimeoutPerByteMs * size;
    uint32_t left = size;
    while (left > 0) {
        // A socket whose far end has gone would raise SIGPIPE, which ends
        // the program; a failed write is all the worker needs to know.
        ssize_t sent = socketLink ? ::send(static_cast<int>(handle), next, left, MSG_NOSIGNAL)
                                  : ::write(static_cast<int>(handle), next, left);
        if (sent > 0) {
            next += sent;
            left -= static_cast<uint32_t>(sent);
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && errno == EAGAIN) {
            if (!waitWritable(static_cast<int>(handle), deadline))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

// A socket has no terminal queue to flush: what has arrived so far, and no
// more, is read and dropped, so a device that keeps sending cannot hold us.
// TCSADRAIN: a command that changes the module's rate must leave at the old
// one.
bool SerialPort::setLineRate(uint32_t baud) {
    const int fd = static_cast<int>(handle);
    const speed_t speed = speedOf(baud);
    termios settings{};
    if (socketLink)
        return true;
    if (!isOpen() || speed == B0 || tcgetattr(fd, &settings) != 0)
        return false;
    return cfsetispeed(&settings, speed) == 0 && cfsetospeed(&settings, speed) == 0 &&
           tcsetattr(fd, TCSADRAIN, &settings) == 0;
}

bool SerialPort::hasLineRate() const {
    return !socketLink;
}

void SerialPort::purgeReceive() {
    int fd = static_cast<int>(handle);
    if (!socketLink) {
        tcflush(fd, TCIFLUSH);
        return;
    }
    int waiting = 0;
    uint8_t scratch[4096];
    if (ioctl(fd, FIONREAD, &waiting) != 0)
        return;
    while (waiting > 0) {
        size_t wanted = std::min(sizeof scratch, static_cast<size_t>(waiting));
        ssize_t got = ::recv(fd, scratch, wanted, MSG_DONTWAIT);
        if (got <= 0)
            return;
        waiting -= static_cast<int>(got);
    }
}

void SerialPort::close() {
    if (handle == kInvalid)
        return;
    if (!socketLink)
        releaseExclusiveUse(static_cast<int>(handle));
    ::close(static_cast<int>(handle));
    handle = kInvalid;
    socketLink = false;
    releaseUucpLock(lockFile);
}
