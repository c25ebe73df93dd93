#pragma once

#include <string>
#include <vector>

// The whole tool on UTF-8 arguments (without the program name); returns the
// exit status.
int toolMain(const std::vector<std::string>& arguments);
