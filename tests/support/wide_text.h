#pragma once

#include "support/cwstr.h"

#include <string>
#include <string_view>

// A path the tests made (plain ASCII) as the worker takes it.
inline CWStr widePath(const std::string& path) {
    return CWStr(std::u16string(path.begin(), path.end()).c_str());
}

// Narrow copy of a 16-bit text for readable test failures; characters outside
// ASCII show as '?'.
inline std::string narrowText(std::u16string_view text) {
    std::string narrow;
    for (char16_t c : text)
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}
