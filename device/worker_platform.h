#pragma once

#include "support/non_copyable.h"

#include <cstdint>

// The few thread, event and time operations the transfer worker needs; one
// backend file per platform.

// 32-bit millisecond tick that wraps; elapsed time is the unsigned difference.
uint32_t tickCount();
inline uint32_t ticksBetween(uint32_t earlier, uint32_t later) {
    return later - earlier;
}
void sleepMs(uint32_t milliseconds);

enum class WaitResult { Signalled, TimedOut, Failed };

// One signal releases one wait.
class AutoResetEvent : NonCopyable {
public:
    AutoResetEvent();
    ~AutoResetEvent();

    void set();
    void reset();
    WaitResult wait(uint32_t timeoutMs);

private:
    void* state;
};

// A thread that runs one function; the handle outlives the thread until
// closed, so the owner can wait for it.
class WorkerThread : NonCopyable {
public:
    using Entry = uint32_t (*)(void* argument);

    WorkerThread() = default;
    ~WorkerThread() { close(); }

    bool start(Entry entry, void* argument);
    // True when the thread has ended within the time (or none was started).
    bool wait(uint32_t timeoutMs);
    // Waits for the end however long it takes, then releases the handle.
    void join();
    void close();
    bool exists() const { return state != nullptr; }

private:
    void* state = nullptr;
};
