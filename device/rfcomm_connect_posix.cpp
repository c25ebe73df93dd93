#include "device/rfcomm_connect_posix.h"

#include "device/worker_platform.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The kernel's RFCOMM protocol number and socket address (BTPROTO_RFCOMM and
// struct sockaddr_rc of the BlueZ headers), written out here rather than
// taking a library for two definitions. The address bytes go last one first.
constexpr int kRfcommProtocol = 3;
struct RfcommAddress {
    sa_family_t family;
    uint8_t device[6];
    uint8_t channel;
};
static_assert(sizeof(RfcommAddress) == 10, "the kernel's sockaddr_rc");

RfcommConnector& connectorForTests() {
    static RfcommConnector connector;
    return connector;
}

RfcommAddress addressOf(const std::string& address, int32_t channel) {
    RfcommAddress target{};
    target.family = AF_BLUETOOTH;
    for (int i = 0; i < 6; ++i) {
        target.device[5 - i] =
            static_cast<uint8_t>(std::strtoul(address.substr(3 * i, 2).c_str(), nullptr, 16));
    }
    target.channel = static_cast<uint8_t>(channel);
    return target;
}

// Paging a logger that is switched off takes the adapter about five seconds;
// the limit only guards against a connection that never settles.
bool waitConnected(int fd) {
    uint32_t deadline = tickCount() + kRfcommConnectLimitMs;
    pollfd request{fd, POLLOUT, 0};
    int ready = 0;
    do {
        int32_t left = static_cast<int32_t>(deadline - tickCount());
        ready = left > 0 ? poll(&request, 1, left) : 0;
    } while (ready < 0 && errno == EINTR);
    if (ready == 0)
        errno = ETIMEDOUT;
    if (ready <= 0)
        return false;
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return false;
    errno = error;
    return error == 0;
}

} // namespace

int connectRfcomm(const std::string& address, int32_t channel) {
    if (connectorForTests())
        return connectorForTests()(address, channel);
    RfcommAddress target = addressOf(address, channel);
    int fd = socket(AF_BLUETOOTH, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, kRfcommProtocol);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0 ||
        (errno == EINPROGRESS && waitConnected(fd)))
        return fd;
    int error = errno;
    close(fd);
    errno = error;
    return -1;
}

void setRfcommConnectorForTests(RfcommConnector connector) {
    connectorForTests() = std::move(connector);
}
