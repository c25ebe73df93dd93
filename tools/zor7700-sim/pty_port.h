#pragma once

#include "support/non_copyable.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The device's end of the line: the master side of a pseudo-terminal whose
// slave side programs open as the serial port.
class PtyPort : NonCopyable {
public:
    PtyPort() = default;
    ~PtyPort() { hangUp(); }

    bool open(std::string& error);
    const std::string& devicePath() const { return path; }
    int fd() const { return master; }
    bool isOpen() const { return master >= 0; }

    // What the line takes now, never waiting: bytes written, 0 when it is full.
    size_t write(const char* data, size_t size);
    // What has arrived, never waiting; 0 when nothing has.
    size_t read(char* buffer, size_t capacity);
    // The line rate the program on the other side has set its port to, in
    // baud (the slave's termios, which the master reads on Linux); 0 for a
    // rate that is none of the usual ones.
    uint32_t programRate() const;
    // Bytes sent that the program on the other side has not read yet.
    bool unreadBytes(int& count) const;
    // A program that ended without giving up its exclusive use (killed, say)
    // leaves the flag on the terminal, where a real port forgets it with the
    // last close; without a lock on the device nobody is using the port, so
    // the flag goes.
    void clearAbandonedExclusiveUse();
    // Cuts the line: a program that has the port open reads no more.
    void hangUp();

private:
    bool isLockedByAProgram() const;

    int master = -1;
    // Our own open slave keeps the line alive and raw between programs, so
    // nothing we send is echoed back while no program has the port open.
    int slave = -1;
    std::string path;
};
