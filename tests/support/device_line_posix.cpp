#include "support/device_line_posix.h"

#include <cerrno>
#include <chrono>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

DeviceLine::~DeviceLine() {
    hangUp();
    if (programEnd >= 0)
        close(programEnd);
}

void DeviceLine::adopt(int device, int program) {
    deviceEnd = device;
    programEnd = program;
    fcntl(deviceEnd, F_SETFL, fcntl(deviceEnd, F_GETFL) | O_NONBLOCK);
    fcntl(deviceEnd, F_SETFD, FD_CLOEXEC);
    fcntl(programEnd, F_SETFD, FD_CLOEXEC);
}

bool DeviceLine::send(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        if (deviceEnd < 0)
            return false;
        ssize_t sent = write(deviceEnd, bytes.data() + done, bytes.size() - done);
        if (sent > 0) {
            done += static_cast<size_t>(sent);
        } else if (sent < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd request{deviceEnd, POLLOUT, 0};
            poll(&request, 1, 100);
        } else {
            return false;
        }
    }
    return true;
}

std::string DeviceLine::receive(uint32_t timeoutMs, const std::string& until) {
    std::string received;
    int64_t deadline = nowMs() + timeoutMs;
    while (deviceEnd >= 0) {
        char buffer[4096];
        ssize_t got = read(deviceEnd, buffer, sizeof buffer);
        if (got > 0) {
            received.append(buffer, static_cast<size_t>(got));
            if (!until.empty() && received.find(until) != std::string::npos)
                break;
            continue;
        }
        int64_t left = deadline - nowMs();
        if (left <= 0)
            break;
        pollfd request{deviceEnd, POLLIN, 0};
        poll(&request, 1, static_cast<int>(left < 20 ? left : 20));
    }
    return received;
}

void DeviceLine::hangUp() {
    if (deviceEnd < 0)
        return;
    close(deviceEnd);
    deviceEnd = -1;
}

SocketPairLine::SocketPairLine() {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) == 0)
        adopt(ends[0], ends[1]);
}

int SocketPairLine::connect() const {
    return fcntl(programEnd, F_DUPFD_CLOEXEC, 0);
}
