#include "device/sentence_assembler.h"

#include "device/nmea_checksum.h"
#include "support/hex_digit.h"

#include <cstddef>
#include <cstring>
#include <string_view>

namespace {

// "$", a body of at least five bytes, "*", two digits, CR, LF.
constexpr int32_t kShortestSentence = 11;
constexpr int32_t kLastStoredIndex = 254;

// Exactly two hexadecimal digits, -1 otherwise: read by strtoul's rules,
// "*DZ", "* D" and "*+D" would all pass as 0D.
int checksumDigits(const char* digits) {
    const int high = hexDigitValue(digits[0]);
    const int low = hexDigitValue(digits[1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// From behind the "$" to the first "*" of the `length` bytes stored. The
// bytes may hold a NUL, so the "*" is sought by count, not as in a text.
std::string_view bodyOf(const char* sentence, int32_t length) {
    const char* body = sentence + 1;
    const void* star = std::memchr(body, '*', static_cast<size_t>(length - 1));
    return std::string_view(body, static_cast<size_t>(static_cast<const char*>(star) - body));
}

} // namespace

bool SentenceAssembler::feedByte(uint8_t byte) {
    if (byte == '$') {
        // A sentence cut short by a new "$" is dropped without notice.
        position = 0;
    } else if (position > kLastStoredIndex) {
        sentence[255] = 0;
        position = -1;
    }
    if (position < 0)
        return false;
    sentence[static_cast<size_t>(position++)] = static_cast<char>(byte);
    if (byte != '\n')
        return false;

    const int32_t length = position;
    position = -1;
    if (length < kShortestSentence || sentence[static_cast<size_t>(length - 2)] != '\r' ||
        sentence[static_cast<size_t>(length - 5)] != '*') {
        sentence[static_cast<size_t>(length)] = 0;
        return false;
    }
    sentence[static_cast<size_t>(length - 2)] = 0;
    const int stated = checksumDigits(&sentence[static_cast<size_t>(length - 4)]);
    // The body holds no LF and the "*" sits at length - 5, so the scan stops there at the latest.
    return stated == sentenceChecksum(bodyOf(sentence.data(), length));
}

bool extractField(const char* sentence, int32_t n, char (&destination)[16]) {
    const char* p = sentence;
    while (*p != 0 && *p != '*' && n > 0) {
        ++p;
        while (*p != ',' && *p != '*' && *p != 0)
            ++p;
        --n;
    }
    if (*p == 0 || *p == '*') {
        destination[0] = 0;
        return false;
    }
    if (*p == ',')
        ++p;
    size_t copied = 0;
    while (copied < 15 && *p != ',' && *p != '*' && *p != 0)
        destination[copied++] = *p++;
    destination[copied] = 0;
    return true;
}
