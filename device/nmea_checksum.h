#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The one NMEA checksum of the program: the exclusive OR of a sentence's
// body, the characters between "$" and "*". Incoming sentences are checked
// with it, commands and written sentences carry it.
constexpr uint8_t sentenceChecksum(std::string_view body) {
    uint8_t checksum = 0;
    for (char c : body)
        checksum ^= static_cast<uint8_t>(c);
    return checksum;
}

// What follows a body: "*", the checksum as two upper-case hexadecimal
// digits, CR LF; terminated.
struct SentenceEnding {
    char text[6];
};

constexpr SentenceEnding sentenceEnding(std::string_view body) {
    constexpr char kHex[] = "0123456789ABCDEF";
    const uint8_t checksum = sentenceChecksum(body);
    return {{'*', kHex[checksum >> 4], kHex[checksum & 0x0F], '\r', '\n', 0}};
}

// "$" + body + its ending: a whole sentence as it goes on the line.
inline std::string withChecksum(std::string_view body) {
    std::string sentence(1, '$');
    sentence.append(body).append(sentenceEnding(body).text);
    return sentence;
}
