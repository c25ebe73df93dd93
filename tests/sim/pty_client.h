#pragma once

#include "support/non_copyable.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The program's side of the simulator's line, for the simulator's tests: a raw
// open of the pseudo-terminal that sends commands and records what arrives.
class PtyClient : NonCopyable {
public:
    PtyClient() = default;
    ~PtyClient();

    bool open(const std::string& devicePath);
    // Sets the line rate as a program does (4800 to 115200 baud).
    bool setRate(uint32_t baud);
    // Sends "$" + body + "*HH\r\n".
    void sendCommand(const std::string& body);
    // Collects what arrives until `marker` has arrived or `timeoutMs` passed.
    std::string readUntil(const std::string& marker, uint32_t timeoutMs);
    // (milliseconds since the read began, bytes so far) for every piece of
    // the last read.
    const std::vector<std::pair<double, size_t>>& arrivals() const { return pieces; }
    // True once a read found the line cut.
    bool hungUp() const { return lineCut; }

private:
    int fd = -1;
    bool lineCut = false;
    std::vector<std::pair<double, size_t>> pieces;
};

// The sentences of a stream, each without its CR LF; a trailing piece
// without LF is left out.
std::vector<std::string> sentencesOf(const std::string& stream);
// True when "$...*HH" carries the right checksum.
bool hasValidChecksum(const std::string& sentence);
// The sentences whose text begins with `prefix`.
std::vector<std::string> withPrefix(const std::vector<std::string>& sentences,
                                    const std::string& prefix);
