#pragma once

#include <cstdio>

// Prints the present ports as the wizard's port page lists them, one UTF-8
// line each with the full description, so a user can find a port's number
// from a terminal.
void printPortList(std::FILE* out);
