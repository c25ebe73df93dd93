#pragma once

// The terminal the tool runs in; one backend file per platform. Standard
// output carries only what was asked for (a track, a dump, the port list,
// the help); every message goes to standard error.

#include <cstdint>

// Opens the null device in place of a closed standard stream (a detached
// job), so no file the tool opens can take its number and receive messages.
void guardStandardStreams();
// True when standard error is a terminal (a progress bar can redraw itself).
bool messagesGoToTerminal();
// The width in columns of the terminal standard error goes to; 0 when unknown.
int32_t terminalColumns();
// From now on whatever ends a terminal session (Ctrl+C, SIGTERM, a hang-up,
// the console window closed, logging off) asks the tool to stop instead of
// ending it, and a reader that went away fails a write instead of killing it.
void watchInterrupt();
bool interruptRequested();
