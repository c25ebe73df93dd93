#pragma once

// A base for what owns a resource of the system (a handle, a thread, a
// folder, a child process): a copy would release it twice.
class NonCopyable {
public:
    NonCopyable(const NonCopyable&) = delete;
    NonCopyable& operator=(const NonCopyable&) = delete;

protected:
    NonCopyable() = default;
    ~NonCopyable() = default;
};
