#pragma once

#include <string>

// The whole content of a file the simulator is told to read; false with
// "cannot read PATH" in `error` when it cannot be opened.
bool readTextFile(const std::string& path, std::string& text, std::string& error);
