#pragma once

#include "support/non_copyable.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// Sets environment variables of this process for its lifetime and puts back
// what they were (or unsets them) when it ends.
class ScopedEnvironment : NonCopyable {
public:
    explicit ScopedEnvironment(const std::vector<std::pair<std::string, std::string>>& values);
    ~ScopedEnvironment();

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};
