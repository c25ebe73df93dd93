#pragma once

#include <string>

// One option's line in a tool's --help: "  --name VALUE" in a column of 24
// (a longer one stands on a line of its own), then what it does.
std::string optionHelpLine(const char* name, const char* valueName, const char* help);
