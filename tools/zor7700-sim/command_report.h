#pragma once

#include "support/non_copyable.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Which commands reached the device and when: one line "MS TEXT" per command,
// MS counted from the simulator's start, TEXT the sentence up to its "*".
// With a file the line lands there at once, so a test can watch it.
class CommandReport : NonCopyable {
public:
    explicit CommandReport(const std::string& path);
    ~CommandReport();

    bool isWritable() const { return path.empty() || file != nullptr; }
    void add(uint32_t milliseconds, const std::string& text);
    const std::vector<std::string>& lines() const { return entries; }

private:
    std::string path;
    FILE* file = nullptr;
    std::vector<std::string> entries;
};
