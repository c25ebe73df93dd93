#include "device/worker_platform.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include <time.h>

namespace {

// The wait that never times out, as on Windows.
constexpr uint32_t kInfinite = 0xFFFFFFFFu;

struct EventState {
    std::mutex mutex;
    std::condition_variable changed;
    bool signalled = false;
};

// Shared by the owner and the thread, so the owner may let go of a thread
// that still runs without pulling its state away.
struct ThreadState {
    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;
    std::thread thread;
};

// Waits on `condition` until `done()` holds or the time is up.
template <typename Done>
bool waitUntil(std::condition_variable& condition, std::unique_lock<std::mutex>& lock,
               uint32_t timeoutMs, Done done) {
    if (timeoutMs == kInfinite) {
        condition.wait(lock, done);
        return true;
    }
    return condition.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
}

std::shared_ptr<ThreadState>& threadState(void* state) {
    return *static_cast<std::shared_ptr<ThreadState>*>(state);
}

} // namespace

uint32_t tickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t milliseconds =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(milliseconds);
}

void sleepMs(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

AutoResetEvent::AutoResetEvent() : state(new EventState) {}

AutoResetEvent::~AutoResetEvent() {
    delete static_cast<EventState*>(state);
}

// Notifies under the lock: a released waiter may destroy the event as soon
// as it runs, and must not find this call still touching it.
void AutoResetEvent::set() {
    EventState& event = *static_cast<EventState*>(state);
    std::lock_guard<std::mutex> lock(event.mutex);
    event.signalled = true;
    event.changed.notify_one();
}

void AutoResetEvent::reset() {
    EventState& event = *static_cast<EventState*>(state);
    std::lock_guard<std::mutex> lock(event.mutex);
    event.signalled = false;
}

WaitResult AutoResetEvent::wait(uint32_t timeoutMs) {
    EventState& event = *static_cast<EventState*>(state);
    std::unique_lock<std::mutex> lock(event.mutex);
    if (!waitUntil(event.changed, lock, timeoutMs, [&] { return event.signalled; })) {
        return WaitResult::TimedOut;
    }
    event.signalled = false;
    return WaitResult::Signalled;
}

bool WorkerThread::start(Entry entry, void* argument) {
    close();
    auto shared = std::make_shared<ThreadState>();
    try {
        shared->thread = std::thread([shared, entry, argument] {
            entry(argument);
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->finished = true;
            shared->ended.notify_all();
        });
    } catch (const std::system_error&) {
        return false;
    }
    state = new std::shared_ptr<ThreadState>(std::move(shared));
    return true;
}

bool WorkerThread::wait(uint32_t timeoutMs) {
    if (state == nullptr)
        return true;
    ThreadState& thread = *threadState(state);
    std::unique_lock<std::mutex> lock(thread.mutex);
    return waitUntil(thread.ended, lock, timeoutMs, [&] { return thread.finished; });
}

void WorkerThread::join() {
    if (state == nullptr)
        return;
    ThreadState& thread = *threadState(state);
    if (thread.thread.joinable())
        thread.thread.join();
    close();
}

// A thread that still runs goes on alone; its state lives as long as it does.
void WorkerThread::close() {
    if (state == nullptr)
        return;
    ThreadState& thread = *threadState(state);
    if (thread.thread.joinable()) {
        if (thread.thread.get_id() == std::this_thread::get_id())
            thread.thread.detach();
        else if (wait(0))
            thread.thread.join();
        else
            thread.thread.detach();
    }
    delete &threadState(state);
    state = nullptr;
}
