#pragma once

// The terminal the tool runs in; one backend file per platform.

// True when standard output is a terminal (a progress bar can redraw itself).
bool outputIsTerminal();
// From now on Ctrl+C asks the transfer to stop instead of ending the tool.
void watchInterrupt();
bool interruptRequested();
