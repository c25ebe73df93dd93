#pragma once

#include "support/device_line_posix.h"
#include "support/non_copyable.h"
#include "support/temp_folder.h"

#include <cstdint>
#include <string>

// The device side of a pseudo-terminal: the program opens the slave as its
// serial port, which is raw from the start.
class PseudoTerminal : public DeviceLine {
public:
    PseudoTerminal();

    const std::string& slavePath() const { return path; }

private:
    std::string path;
};

// A private ports folder (XDG_CONFIG_HOME for the program) for the test's
// lifetime, where links name COM ports; restores the environment afterwards.
class PrivatePortFolder : NonCopyable {
public:
    PrivatePortFolder();
    ~PrivatePortFolder();

    // comN -> target; false if the link could not be made.
    bool link(int32_t portNumber, const std::string& target);
    // A paired Bluetooth logger under a COM number, on channel 1.
    bool pairBluetooth(int32_t portNumber, const std::string& address);
    const std::string& configHome() const { return root; }

private:
    std::string root;
    std::string savedConfigHome;
    bool hadConfigHome = false;
};

// The program's serial-port lock files go to a private folder for the test's
// lifetime, never the system's, where other users' programs look.
class PrivateLockFolder : public TempFolder {
public:
    PrivateLockFolder();
    ~PrivateLockFolder();
};
