#pragma once

#include <string>

// The few questions asked of the file system about a path before a file is
// written there, one backend per platform. Paths are UTF-8.

enum class PathKind { Missing, RegularFile, Folder, Other };

// The path with symbolic links followed to what they finally name (also when
// that does not exist yet).
std::string followLinks(const std::string& path);
// What the path names, links followed; Other is a device, FIFO or the like.
PathKind pathKind(const std::string& path);
// True when both paths name the same file: the same file identity when
// either exists, else the same place once resolved.
bool isSameFile(const std::string& first, const std::string& second);
// True when the path names what standard output goes to: /dev/stdout, or the
// file or pipe it was redirected to.
bool isStandardOutput(const std::string& path);
// The folder that holds `path`, where a file beside it would go.
std::string folderOf(const std::string& path);
