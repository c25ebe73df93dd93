#include "support/link_owner_mark_posix.h"

#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

std::string linkOwnerMark(const std::string& link) {
    return link + ".owner";
}

// The process id is for people who look into the folder; the lock decides.
int takeLinkOwnerMark(const std::string& link) {
    int fd = open(linkOwnerMark(link).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    std::string pid = std::to_string(getpid()) + "\n";
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ftruncate(fd, 0) != 0 ||
        write(fd, pid.data(), pid.size()) != static_cast<ssize_t>(pid.size())) {
        close(fd);
        return -1;
    }
    return fd;
}

bool isAbandonedLink(const std::string& link) {
    int fd = open(linkOwnerMark(link).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool nobodyHoldsIt = flock(fd, LOCK_SH | LOCK_NB) == 0;
    close(fd);
    return nobodyHoldsIt;
}
