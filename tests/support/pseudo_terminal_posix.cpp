#include "support/pseudo_terminal_posix.h"

#include "device/uucp_lock_posix.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <pty.h>
#include <termios.h>

namespace fs = std::filesystem;

PseudoTerminal::PseudoTerminal() {
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B57600);
    cfsetospeed(&raw, B57600);
    char name[256] = {};
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, name, &raw, nullptr) != 0)
        return;
    adopt(master, slave);
    path = name;
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

bool PrivatePortFolder::pairBluetooth(int32_t portNumber, const std::string& address) {
    std::ofstream file(root + "/ZOR/ports/bluetooth", std::ios::app);
    return static_cast<bool>(file << portNumber << " " << address << " 1\n");
}

bool PrivatePortFolder::link(int32_t portNumber, const std::string& target) {
    std::error_code failed;
    fs::create_symlink(target, root + "/ZOR/ports/com" + std::to_string(portNumber), failed);
    return !failed;
}

PrivateLockFolder::PrivateLockFolder() {
    setUucpLockFolderForTests(path().string());
}

PrivateLockFolder::~PrivateLockFolder() {
    setUucpLockFolderForTests("");
}
