#pragma once

#include <cstdio>

// Prints the items the wizard's port page would show, one UTF-8 line each,
// so a user can find a port's number from a terminal.
void printPortList(std::FILE* out);
