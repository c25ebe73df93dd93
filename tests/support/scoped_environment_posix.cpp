#include "support/scoped_environment_posix.h"

#include <cstdlib>

ScopedEnvironment::ScopedEnvironment(
    const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [name, value] : values) {
        const char* before = std::getenv(name.c_str());
        saved.emplace_back(name,
                           before != nullptr ? std::optional<std::string>(before) : std::nullopt);
        setenv(name.c_str(), value.c_str(), 1);
    }
}

// In reverse order, so a name given twice ends as it began.
ScopedEnvironment::~ScopedEnvironment() {
    for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
        if (it->second)
            setenv(it->first.c_str(), it->second->c_str(), 1);
        else
            unsetenv(it->first.c_str());
    }
}
