#include "support/pseudo_terminal_posix.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

PseudoTerminal::PseudoTerminal() {
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B57600);
    cfsetospeed(&raw, B57600);
    char name[256] = {};
    if (openpty(&master, &slave, name, &raw, nullptr) != 0) {
        master = slave = -1;
        return;
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    path = name;
}

PseudoTerminal::~PseudoTerminal() {
    hangUp();
    if (slave >= 0)
        close(slave);
}

bool PseudoTerminal::send(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        if (master < 0)
            return false;
        ssize_t sent = write(master, bytes.data() + done, bytes.size() - done);
        if (sent > 0) {
            done += static_cast<size_t>(sent);
        } else if (sent < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd request{master, POLLOUT, 0};
            poll(&request, 1, 100);
        } else {
            return false;
        }
    }
    return true;
}

std::string PseudoTerminal::receive(uint32_t timeoutMs, const std::string& until) {
    std::string received;
    int64_t deadline = nowMs() + timeoutMs;
    while (master >= 0) {
        char buffer[4096];
        ssize_t got = read(master, buffer, sizeof buffer);
        if (got > 0) {
            received.append(buffer, static_cast<size_t>(got));
            if (!until.empty() && received.find(until) != std::string::npos)
                break;
            continue;
        }
        int64_t left = deadline - nowMs();
        if (left <= 0)
            break;
        pollfd request{master, POLLIN, 0};
        poll(&request, 1, static_cast<int>(left < 20 ? left : 20));
    }
    return received;
}

void PseudoTerminal::hangUp() {
    if (master < 0)
        return;
    close(master);
    master = -1;
}

PrivatePortFolder::PrivatePortFolder() {
    std::string pattern = (fs::temp_directory_path() / "zor-ports-XXXXXX").string();
    root = mkdtemp(pattern.data());
    fs::create_directories(root + "/ZOR/ports");
    const char* current = std::getenv("XDG_CONFIG_HOME");
    hadConfigHome = current != nullptr;
    if (hadConfigHome)
        savedConfigHome = current;
    setenv("XDG_CONFIG_HOME", root.c_str(), 1);
}

PrivatePortFolder::~PrivatePortFolder() {
    if (hadConfigHome)
        setenv("XDG_CONFIG_HOME", savedConfigHome.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

bool PrivatePortFolder::link(int32_t portNumber, const std::string& target) {
    std::error_code failed;
    fs::create_symlink(target, root + "/ZOR/ports/com" + std::to_string(portNumber), failed);
    return !failed;
}
