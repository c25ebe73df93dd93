#pragma once

#include "support/byte_sink.h"

// One printf-formatted line of at most 255 characters, written with one call.
// A line that formats to no characters is not written and counts as written.
bool writeLine(ByteSink& file, const char* format, ...) __attribute__((format(printf, 2, 3)));
