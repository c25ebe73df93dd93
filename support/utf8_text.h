#pragma once

#include "support/cwstr.h"

#include <string>
#include <string_view>

// Conversions between the program's 16-bit text and the UTF-8 that files,
// paths and terminals use outside Windows.

// Appends the UTF-8 bytes of one code point; a surrogate is written as its
// three bytes, for the caller to refuse or keep.
void appendUtf8(char32_t c, std::string& out);

// A lone surrogate, which UTF-8 cannot carry, becomes U+FFFD.
std::string utf8FromUtf16(std::u16string_view text);

// False (and `text` unspecified) when the bytes are not well-formed UTF-8:
// stray continuation bytes, overlong forms, surrogates, values above U+10FFFF.
bool utf16FromUtf8(std::string_view bytes, std::u16string& text);

// A path or text given as UTF-8 (a command line, a settings file), as the
// program's text. Bytes that are not UTF-8 cannot name a file we could
// create, so they give the empty text, which every file operation refuses.
CWStr textFromUtf8(std::string_view bytes);
