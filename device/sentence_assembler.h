#pragma once

#include <array>
#include <cstdint>

// Turns the serial byte stream into whole NMEA sentences with a correct
// checksum, one byte at a time, on a fixed 256-byte buffer.
class SentenceAssembler {
public:
    // True exactly when `byte` was the LF that completed a well-formed sentence
    // with a correct checksum; `text()` then reads from "$" to the last
    // checksum digit and stays valid until the next byte is fed.
    bool feedByte(uint8_t byte);
    void reset() { position = -1; }
    const char* text() const { return sentence.data(); }

    int32_t position = -1;
    std::array<char, 256> sentence{};
};

// Copies field n of a sentence (field 0 is the address with its "$") into
// `destination` as at most 15 characters; false when there is no field n.
bool extractField(const char* sentence, int32_t n, char (&destination)[16]);
