#pragma once

#include <cstdint>
#include <string>

// The device side of a pseudo-terminal: tests write what a device would send
// to the master and read what the program wrote to the slave. The slave is
// raw from the start and stays open here, so the link's opens and closes
// never hang the line up; only hangUp() does.
class PseudoTerminal {
public:
    PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal();

    bool isOpen() const { return master >= 0; }
    const std::string& slavePath() const { return path; }

    // Writes everything, waiting for room as long as it takes.
    bool send(const std::string& bytes);
    // What has arrived within `timeoutMs` (returns early once `until` is seen).
    std::string receive(uint32_t timeoutMs, const std::string& until = {});
    // Closes the device side: the program's reads and writes fail from now on.
    void hangUp();

private:
    int master = -1;
    int slave = -1;
    std::string path;
};

// A private ports folder (XDG_CONFIG_HOME for the program) for the test's
// lifetime, where links name COM ports; restores the environment afterwards.
class PrivatePortFolder {
public:
    PrivatePortFolder();
    PrivatePortFolder(const PrivatePortFolder&) = delete;
    PrivatePortFolder& operator=(const PrivatePortFolder&) = delete;
    ~PrivatePortFolder();

    // comN -> target; false if the link could not be made.
    bool link(int32_t portNumber, const std::string& target);
    const std::string& configHome() const { return root; }

private:
    std::string root;
    std::string savedConfigHome;
    bool hadConfigHome = false;
};
