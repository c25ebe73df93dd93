#pragma once

#include "support/non_copyable.h"

#include <cstdint>
#include <string>

// The link to the device: one COM port number, opened exclusively at 57600
// baud 8N1, raw, no flow control, DTR and RTS off; a module's other line
// rates are set on the open port. Reads never wait; writes
// give up after a time that grows with their length (below). One backend
// file per platform.
class SerialPort : NonCopyable {
public:
    SerialPort() = default;
    ~SerialPort() { close(); }

    bool open(int32_t portNumber);
    // Returns at once with what has arrived (possibly nothing).
    bool read(uint8_t* buffer, uint32_t capacity, uint32_t& bytesRead);
    bool write(const void* data, uint32_t size);
    void purgeReceive();
    // Waits until what was written has left, then sets both directions to
    // `baud` (4800, 9600, 19200, 38400, 57600 or 115200); false when the port
    // takes no such rate. A Bluetooth link has no rate of its own: there it
    // does nothing and succeeds.
    bool setLineRate(uint32_t baud);
    // False for a link whose far end keeps its own rate (Bluetooth), where
    // a module must never be told to change it.
    bool hasLineRate() const;
    void close();
    bool isOpen() const { return handle != kInvalid; }

    // Both backends give a write of n bytes kWriteTimeoutMs + n *
    // kWriteTimeoutPerByteMs.
    static constexpr uint32_t kWriteTimeoutMs = 1000;
    static constexpr uint32_t kWriteTimeoutPerByteMs = 10;

private:
    static constexpr intptr_t kInvalid = -1;
    intptr_t handle = kInvalid;
    // The lock file that tells other serial programs the port is ours, while
    // it is open (POSIX only; empty when none could be written).
    std::string lockFile;
    // POSIX only: the port is a paired Bluetooth logger's socket, not a terminal.
    bool socketLink = false;
};

// Why the last open of a port in this process failed, for a person to read
// ("/dev/ttyUSB0 is in use by process 4242 (minicom)"); empty when it
// succeeded or the platform cannot tell. The wizard shows one message for
// every cause; the transfer tool adds this one.
std::string lastPortOpenFailure();
