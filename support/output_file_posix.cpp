#include "support/output_file.h"

#include "support/file_system.h"
#include "support/utf8_text.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int descriptorOf(intptr_t handle) {
    return static_cast<int>(handle);
}

std::string utf8Of(const CWStr& path) {
    return utf8FromUtf16(path.c_str());
}

// Hidden, so a file manager that happens to show the folder does not offer a
// half-written file. Created by open() rather than mkstemp() so that the
// kernel applies the umask to `mode`, as for any file written directly.
int createFileIn(const std::string& folder, mode_t mode, std::string& name) {
    static std::atomic<uint32_t> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "/.zor7700-" + std::to_string(getpid()) + "-" +
               std::to_string(serial.fetch_add(1));
        const int descriptor =
            ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (descriptor >= 0 || errno != EEXIST)
            return descriptor;
    }
    return -1;
}

bool writeAll(int descriptor, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// The new name must survive a crash too, and it lives in the folder.
// Filesystems that cannot sync a folder say EINVAL; the rename stands there.
bool syncFolder(const std::string& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = fsync(descriptor) == 0 || errno == EINVAL;
    ::close(descriptor);
    return synced;
}

// Pipes, terminals and devices have nothing to force onto a disk (and
// fsync refuses them); a regular file must be on it.
bool syncIfRegular(int descriptor) {
    struct stat info {};
    return fstat(descriptor, &info) == 0 && (!S_ISREG(info.st_mode) || fsync(descriptor) == 0);
}

} // namespace

bool OutputFile::open(const CWStr& path, uint32_t newFileMode) {
    const std::string name = utf8Of(path);
    if (name.empty())
        return false;
    // stat() follows links the way the kernel does, /proc's fd links too.
    int descriptor = -1;
    struct stat info {};
    const bool exists = stat(name.c_str(), &info) == 0;
    if (name == "-" || (exists && isStandardOutput(name))) {
        // The same open file as standard output, at its offset: a second
        // opening would write over what the shell's redirection holds.
        descriptor = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    } else if (exists && S_ISDIR(info.st_mode)) {
        return false;
    } else if (exists && !S_ISREG(info.st_mode)) {
        descriptor = ::open(name.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    } else {
        // Refused like a direct opening would be, before anything is made.
        if (exists && access(name.c_str(), W_OK) != 0)
            return false;
        const std::string target = followLinks(name);
        std::string temporary;
        descriptor = createFileIn(folderOf(target), static_cast<mode_t>(newFileMode), temporary);
        if (descriptor >= 0) {
            if (exists)
                fchmod(descriptor, info.st_mode & 07777);
            writtenPath = textFromUtf8(temporary);
            replacedPath = textFromUtf8(target);
        } else if (exists) {
            descriptor = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
            truncatePending = true;
        }
    }
    if (descriptor < 0) {
        replacedPath = CWStr();
        writtenPath = CWStr();
        return false;
    }
    handle = descriptor;
    return true;
}

bool OutputFile::writeThrough(const char* data, size_t size) {
    if (truncatePending) {
        if (ftruncate(descriptorOf(handle), 0) != 0)
            return false;
        truncatePending = false;
    }
    return writeAll(descriptorOf(handle), data, size);
}

bool OutputFile::syncAndPlace() {
    bool placed = writeThrough(nullptr, 0) && syncIfRegular(descriptorOf(handle));
    placed = ::close(descriptorOf(handle)) == 0 && placed;
    handle = kInvalid;
    if (!placed || replacedPath.IsEmpty())
        return placed;
    const std::string target = utf8Of(replacedPath);
    if (std::rename(utf8Of(writtenPath).c_str(), target.c_str()) != 0)
        return false;
    replacedPath = CWStr();
    return syncFolder(folderOf(target));
}

void OutputFile::release() {
    if (isOpen())
        ::close(descriptorOf(handle));
    handle = kInvalid;
    if (!replacedPath.IsEmpty())
        unlink(utf8Of(writtenPath).c_str());
}
