#include "output/output_file.h"

#include "support/utf8_text.h"

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

int descriptorOf(intptr_t handle) {
    return static_cast<int>(handle);
}

} // namespace

bool OutputFile::create(const CWStr& path) {
    close();
    const std::string utf8Path = utf8FromUtf16(path.c_str());
    const int descriptor = ::open(utf8Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return false;
    }
    handle = descriptor;
    return true;
}

// A regular file takes each line whole; a short write (a signal, the last
// blocks of a disk) is continued, and the next call then reports the failure.
bool OutputFile::write(const void* data, uint32_t size) {
    if (!isOpen()) {
        return false;
    }
    const char* next = static_cast<const char*>(data);
    size_t left = size;
    while (left > 0) {
        const ssize_t written = ::write(descriptorOf(handle), next, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        next += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

bool OutputFile::commit() {
    if (!isOpen()) {
        return false;
    }
    const bool synced = ::fsync(descriptorOf(handle)) == 0;
    const bool closed = ::close(descriptorOf(handle)) == 0;
    handle = kInvalid;
    return synced && closed;
}

void OutputFile::close() {
    if (isOpen()) {
        ::close(descriptorOf(handle));
        handle = kInvalid;
    }
}
