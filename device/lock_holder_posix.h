#pragma once

#include <cstdint>
#include <string>

// Who holds a device, as far as the kernel tells (Linux /proc). Used by the
// POSIX serial link to name the program that has a port, and by the
// simulator to see whether anybody still uses its pseudo-terminal.

// The process that holds a flock or record lock on the file: its id, -1 when
// the file is locked by a holder the kernel does not name, 0 when unlocked.
int32_t fileLockHolder(const std::string& path);

// "4242 (minicom)": the process id with its command name where readable.
std::string describeProcess(int32_t pid);
