#pragma once

#include <cstdarg>
#include <cstddef>

// The C library has no formatter for 16-bit text on Linux, so the program
// carries one for exactly what it formats: %d and %i (with '-' and a width),
// %s (a char16_t text) and %%. Writes at most `maxChars` characters and no
// terminator beyond them; returns the number of characters, or -1 when the
// result did not fit or the format was bad.
int formatWide(char16_t* buffer, size_t maxChars, const char16_t* format, va_list args);
