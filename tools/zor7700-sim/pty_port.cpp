#include "pty_port.h"

#include "device/lock_holder_posix.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

bool PtyPort::open(std::string& error) {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || ptsname(master) == nullptr) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        hangUp();
        return false;
    }
    path = ptsname(master);
    slave = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    termios settings{};
    if (slave < 0 || tcgetattr(slave, &settings) != 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        hangUp();
        return false;
    }
    cfmakeraw(&settings);
    cfsetispeed(&settings, B57600);
    cfsetospeed(&settings, B57600);
    tcsetattr(slave, TCSANOW, &settings);
    return true;
}

size_t PtyPort::write(const char* data, size_t size) {
    if (master < 0)
        return 0;
    ssize_t written = ::write(master, data, size);
    return written > 0 ? static_cast<size_t>(written) : 0;
}

size_t PtyPort::read(char* buffer, size_t capacity) {
    if (master < 0)
        return 0;
    ssize_t got = ::read(master, buffer, capacity);
    return got > 0 ? static_cast<size_t>(got) : 0;
}

uint32_t PtyPort::programRate() const {
    static const struct {
        speed_t speed;
        uint32_t baud;
    } kRates[] = {{B1200, 1200},     {B2400, 2400},     {B4800, 4800},    {B9600, 9600},
                  {B19200, 19200},   {B38400, 38400},   {B57600, 57600},  {B115200, 115200},
                  {B230400, 230400}, {B460800, 460800}, {B921600, 921600}};
    termios settings{};
    if (master < 0 || tcgetattr(master, &settings) != 0)
        return 0;
    const speed_t speed = cfgetospeed(&settings);
    for (const auto& rate : kRates) {
        if (rate.speed == speed)
            return rate.baud;
    }
    return 0;
}

bool PtyPort::unreadBytes(int& count) const {
    return slave >= 0 && ioctl(slave, FIONREAD, &count) == 0;
}

void PtyPort::clearAbandonedExclusiveUse() {
    int exclusive = 0;
    if (slave < 0 || ioctl(slave, TIOCGEXCL, &exclusive) != 0 || exclusive == 0)
        return;
    if (!isLockedByAProgram())
        ioctl(slave, TIOCNXCL);
}

bool PtyPort::isLockedByAProgram() const {
    return fileLockHolder(path) != 0;
}

void PtyPort::hangUp() {
    if (slave >= 0)
        ::close(slave);
    if (master >= 0)
        ::close(master);
    slave = -1;
    master = -1;
}
