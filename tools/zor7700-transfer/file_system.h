#pragma once

#include <string>

// The few questions the tool asks the file system about its paths, one
// backend per platform, and the way it replaces a file, built on them. Paths
// are UTF-8.

enum class PathKind { Missing, RegularFile, Folder, Other };

// The path with symbolic links followed to what they finally name (also when
// that does not exist yet).
std::string followLinks(const std::string& path);
// What the path names, links followed; Other is a device, FIFO or the like.
PathKind pathKind(const std::string& path);
// True when both paths name the same file: the same file identity when
// either exists, else the same place once resolved.
bool isSameFile(const std::string& first, const std::string& second);
// Creates a new empty file under a name of its own in the folder that holds
// `path`; its path, or empty when the folder takes no new file.
std::string createFileBeside(const std::string& path);
// Moves `from` over `to` in one step, replacing what `to` named.
bool replaceFile(const std::string& from, const std::string& to);
bool removeFile(const std::string& path);

// How a new version of `path` gets written without harming the old one:
// `target` is what links lead to, `temporary` a new file beside it that is
// moved over it once whole, or empty where the target itself is written (a
// device or FIFO keeps nothing to harm). False for a folder, or a folder that
// takes no new file.
bool prepareReplacement(const std::string& path, std::string& target, std::string& temporary);
