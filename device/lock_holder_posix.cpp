#include "device/lock_holder_posix.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <sys/sysmacros.h>

// The kernel lists every lock as "N: KIND MODE ACCESS PID MAJ:MIN:INODE ..."
// (device numbers in hex); a process waiting for a lock shows as "N: -> ...".
int32_t fileLockHolder(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return 0;
    char key[64];
    std::snprintf(key, sizeof key, " %02x:%02x:%lu ", major(info.st_dev), minor(info.st_dev),
                  static_cast<unsigned long>(info.st_ino));
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        if (line.find(key) == std::string::npos || line.find("->") != std::string::npos)
            continue;
        std::istringstream fields(line);
        std::string number, kind, mode, access;
        long pid = 0;
        fields >> number >> kind >> mode >> access >> pid;
        return pid > 0 ? static_cast<int32_t>(pid) : -1;
    }
    return 0;
}

std::string describeProcess(int32_t pid) {
    std::string text = std::to_string(pid);
    std::ifstream comm("/proc/" + text + "/comm");
    std::string name;
    if (std::getline(comm, name) && !name.empty())
        text += " (" + name + ")";
    return text;
}
