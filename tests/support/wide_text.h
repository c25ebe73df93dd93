#pragma once

#include <string>
#include <string_view>

// Narrow copy of a 16-bit text for readable test failures; characters outside
// ASCII show as '?'.
inline std::string narrowText(std::u16string_view text) {
    std::string narrow;
    for (char16_t c : text)
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}
