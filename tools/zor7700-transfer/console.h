#pragma once

// The terminal the tool runs in; one backend file per platform.

#include <cstdint>

// True when standard output is a terminal (a progress bar can redraw itself).
bool outputIsTerminal();
// The width in columns of the terminal standard output goes to; 0 when unknown.
int32_t terminalColumns();
// From now on Ctrl+C asks the transfer to stop instead of ending the tool.
void watchInterrupt();
bool interruptRequested();
