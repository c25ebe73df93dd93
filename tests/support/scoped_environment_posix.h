#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// Sets environment variables of this process for its lifetime and puts back
// what they were (or unsets them) when it ends.
class ScopedEnvironment {
public:
    explicit ScopedEnvironment(const std::vector<std::pair<std::string, std::string>>& values);
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment();

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};
