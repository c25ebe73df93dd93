#include "device/uucp_lock_posix.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string& folderForTests() {
    static std::string folder;
    return folder;
}

bool isFolder(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// The process id a lock file names; 0 when there is no file or its content is
// no process id (empty, text, the binary form of old programs).
int32_t lockOwner(const std::string& lockPath) {
    int fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[32] = {};
    ssize_t got = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (got <= 0)
        return 0;
    char* end = nullptr;
    long pid = std::strtol(text, &end, 10);
    bool wellFormed = end != text && (*end == '\n' || *end == 0) && pid > 0 && pid <= INT32_MAX;
    return wellFormed ? static_cast<int32_t>(pid) : 0;
}

// A process we may not signal still exists.
bool isAlive(int32_t pid) {
    return kill(pid, 0) == 0 || errno == EPERM;
}

enum class Placement { kOurs, kTaken, kImpossible };

// Written in full under a temporary name and then linked into place, so no
// program ever reads a half-written lock; link() fails when the name exists,
// which makes taking the lock atomic as O_EXCL would.
Placement placeLock(const std::string& folder, const std::string& lockPath) {
    std::string temporary = folder + "/LTMP.XXXXXX";
    int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return Placement::kImpossible;
    char text[16];
    int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(getpid()));
    // Other users' programs read the lock to find its owner.
    bool written = fchmod(fd, 0644) == 0 && ::write(fd, text, length) == length;
    ::close(fd);
    Placement placement = Placement::kImpossible;
    if (written && link(temporary.c_str(), lockPath.c_str()) == 0)
        placement = Placement::kOurs;
    else if (written && errno == EEXIST)
        placement = Placement::kTaken;
    unlink(temporary.c_str());
    return placement;
}

} // namespace

// Two rounds: a stale lock is removed once, and whoever links first after
// that wins. Two of our programs removing the same stale lock at once can
// both believe they hold it; the device's flock still keeps them apart.
bool takeUucpLock(const std::string& name, std::string& lockPath, int32_t& holderPid) {
    lockPath.clear();
    holderPid = 0;
    std::string folder = uucpLockFolder();
    if (folder.empty() || name.empty())
        return true;
    std::string path = folder + "/LCK.." + name;
    for (int round = 0; round < 2; ++round) {
        Placement placement = placeLock(folder, path);
        if (placement == Placement::kOurs) {
            lockPath = path;
            return true;
        }
        int32_t owner = lockOwner(path);
        if (owner > 0 && isAlive(owner)) {
            holderPid = owner;
            return false;
        }
        if (placement == Placement::kImpossible || unlink(path.c_str()) != 0)
            return true;
    }
    return true;
}

void releaseUucpLock(std::string& lockPath) {
    if (!lockPath.empty() && lockOwner(lockPath) == static_cast<int32_t>(getpid()))
        unlink(lockPath.c_str());
    lockPath.clear();
}

std::string uucpLockName(const std::string& devicePath) {
    size_t start = devicePath.compare(0, 5, "/dev/") == 0 ? 5 : devicePath.rfind('/') + 1;
    std::string name = devicePath.substr(start);
    for (char& c : name)
        c = c == '/' ? '_' : c;
    return name;
}

// A folder we cannot write still tells us whose locks to honour.
std::string uucpLockFolder() {
    if (!folderForTests().empty())
        return folderForTests();
    const char* const folders[] = {"/run/lock", "/var/lock"};
    for (const char* folder : folders) {
        if (isFolder(folder) && access(folder, W_OK) == 0)
            return folder;
    }
    for (const char* folder : folders) {
        if (isFolder(folder))
            return folder;
    }
    return {};
}

void setUucpLockFolderForTests(const std::string& folder) {
    folderForTests() = folder;
}
