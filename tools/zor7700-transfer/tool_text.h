#pragma once

#include "support/cwstr.h"

#include <string>

// Command-line text is UTF-8; the program's paths and messages are 16-bit.
CWStr pathText(const std::string& utf8);
std::string utf8Text(const char16_t* text);
