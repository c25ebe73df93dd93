#include "pty_client.h"

#include "tools/common/log_encoder.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PtyClient::~PtyClient() {
    if (fd >= 0)
        close(fd);
}

bool PtyClient::open(const std::string& devicePath) {
    fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios settings{};
    if (fd < 0 || tcgetattr(fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    return tcsetattr(fd, TCSANOW, &settings) == 0 && tcflush(fd, TCIFLUSH) == 0;
}

bool PtyClient::setRate(uint32_t baud) {
    const speed_t speeds[][2] = {{4800, B4800},   {9600, B9600},   {19200, B19200},
                                 {38400, B38400}, {57600, B57600}, {115200, B115200}};
    termios settings{};
    for (const auto& speed : speeds) {
        if (speed[0] == baud && tcgetattr(fd, &settings) == 0 &&
            cfsetospeed(&settings, speed[1]) == 0 && cfsetispeed(&settings, speed[1]) == 0) {
            return tcsetattr(fd, TCSANOW, &settings) == 0;
        }
    }
    return false;
}

void PtyClient::sendCommand(const std::string& body) {
    std::string command = withChecksum(body);
    if (write(fd, command.data(), command.size()) != static_cast<ssize_t>(command.size())) {
        lineCut = true;
    }
}

std::string PtyClient::readUntil(const std::string& marker, uint32_t timeoutMs) {
    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    auto deadline = start + std::chrono::milliseconds(timeoutMs);
    std::string received;
    pieces.clear();
    char buffer[4096];
    while (Clock::now() < deadline && received.find(marker) == std::string::npos) {
        pollfd input{fd, POLLIN, 0};
        if (poll(&input, 1, 5) <= 0)
            continue;
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got == 0 || (got < 0 && errno == EIO)) {
            lineCut = true;
            break;
        }
        if (got < 0)
            continue;
        received.append(buffer, static_cast<size_t>(got));
        pieces.emplace_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count(),
                            received.size());
    }
    return received;
}

std::vector<std::string> sentencesOf(const std::string& stream) {
    std::vector<std::string> sentences;
    size_t start = 0;
    for (size_t end; (end = stream.find("\r\n", start)) != std::string::npos; start = end + 2) {
        sentences.push_back(stream.substr(start, end - start));
    }
    return sentences;
}

bool hasValidChecksum(const std::string& sentence) {
    size_t star = sentence.find('*');
    if (sentence.empty() || sentence[0] != '$' || star == std::string::npos ||
        star + 3 != sentence.size()) {
        return false;
    }
    return withChecksum(sentence.substr(1, star - 1)) == sentence + "\r\n";
}

std::vector<std::string> withPrefix(const std::vector<std::string>& sentences,
                                    const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& sentence : sentences) {
        if (sentence.rfind(prefix, 0) == 0)
            found.push_back(sentence);
    }
    return found;
}
