#pragma once

#include "support/non_copyable.h"

#include <cstdint>
#include <string>

// The device's side of a line to the program: tests write what a device
// would send and read what the program wrote. The program's end stays open
// here too, so the program's opens and closes never hang the line up; only
// hangUp() does. PseudoTerminal is the serial kind; SocketPairLine stands in
// for a paired logger's Bluetooth socket.
class DeviceLine : NonCopyable {
public:
    virtual ~DeviceLine();

    bool isOpen() const { return deviceEnd >= 0; }
    // Writes everything, waiting for room as long as it takes.
    bool send(const std::string& bytes);
    // What has arrived within `timeoutMs` (returns early once `until` is seen).
    std::string receive(uint32_t timeoutMs, const std::string& until = {});
    // Closes the device side: the program's reads and writes fail from now on.
    void hangUp();

protected:
    DeviceLine() = default;
    // Makes the device's end non-blocking and both ends close-on-exec.
    void adopt(int device, int program);

    int deviceEnd = -1;
    int programEnd = -1;
};

// A connected pair of stream sockets: what an RFCOMM socket is to the serial
// link. Each connect() hands the link its own descriptor of the program's end.
class SocketPairLine : public DeviceLine {
public:
    SocketPairLine();
    int connect() const;
};
