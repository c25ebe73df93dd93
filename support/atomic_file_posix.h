#pragma once

#include <string>

#include <sys/types.h>

// Small files that users and several programs of ours read while we write
// them: the settings, the Bluetooth port numbers.

// Creates the folder and its missing parents with `mode`; true when it exists.
bool makeFolders(const std::string& folder, mode_t mode);

// Replaces the file's content whole (OutputFile), so a crash or a full disk
// leaves either the old file or the new one and no reader ever sees half of
// it. A new file gets `mode`; an existing one keeps its own.
bool replaceFileAtomically(const std::string& path, const std::string& text, mode_t mode);
