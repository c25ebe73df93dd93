#pragma once

#include <cstdint>
#include <string>

// The lock files that serial programs on Linux agree on: "LCK..<name>" in the
// lock folder, holding the owner's process id as ten right-aligned digits and
// a newline. A serial device's name is its path below /dev with '/' made '_'
// (ttyUSB0, pts_3); any other name (a Bluetooth address) works the same way.
// Used by the POSIX serial link only.

// Takes LCK..<name> for this process. True when the caller may go on: the lock
// is ours (`lockPath` names it), or no lock folder can be written (`lockPath`
// stays empty; locks of others are still honoured). False while a live process
// holds the lock: `holderPid` says which. A lock whose process is gone, or
// whose content is no process id, is stale and replaced.
bool takeUucpLock(const std::string& name, std::string& lockPath, int32_t& holderPid);

// Removes our lock file, if it still names this process, and empties `lockPath`.
void releaseUucpLock(std::string& lockPath);

// The lock name of a device path (links already resolved): the part below
// /dev with '/' made '_', or the last part of a path elsewhere.
std::string uucpLockName(const std::string& devicePath);

// /run/lock when it exists and can be written, else /var/lock; tests make
// every lock of the process go to a folder of their own ("" restores this).
std::string uucpLockFolder();
void setUucpLockFolderForTests(const std::string& folder);
