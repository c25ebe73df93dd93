#include "device/worker_platform.h"

#include <windows.h>

namespace {

struct ThreadStart {
    WorkerThread::Entry entry;
    void* argument;
};

DWORD WINAPI threadEntry(LPVOID parameter) {
    ThreadStart start = *static_cast<ThreadStart*>(parameter);
    delete static_cast<ThreadStart*>(parameter);
    return start.entry(start.argument);
}

} // namespace

uint32_t tickCount() {
    return GetTickCount();
}

void sleepMs(uint32_t milliseconds) {
    Sleep(milliseconds);
}

AutoResetEvent::AutoResetEvent() : state(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

AutoResetEvent::~AutoResetEvent() {
    if (state != nullptr)
        CloseHandle(state);
}

void AutoResetEvent::set() {
    SetEvent(state);
}

void AutoResetEvent::reset() {
    ResetEvent(state);
}

WaitResult AutoResetEvent::wait(uint32_t timeoutMs) {
    switch (WaitForSingleObject(state, timeoutMs)) {
    case WAIT_OBJECT_0:
        return WaitResult::Signalled;
    case WAIT_TIMEOUT:
        return WaitResult::TimedOut;
    default:
        return WaitResult::Failed;
    }
}

bool WorkerThread::start(Entry entry, void* argument) {
    close();
    ThreadStart* start = new ThreadStart{entry, argument};
    HANDLE thread = CreateThread(nullptr, 0, threadEntry, start, 0, nullptr);
    if (thread == nullptr) {
        delete start;
        return false;
    }
    state = thread;
    return true;
}

bool WorkerThread::wait(uint32_t timeoutMs) {
    if (state == nullptr)
        return true;
    return WaitForSingleObject(state, timeoutMs) == WAIT_OBJECT_0;
}

void WorkerThread::join() {
    if (state == nullptr)
        return;
    WaitForSingleObject(state, INFINITE);
    close();
}

void WorkerThread::close() {
    if (state == nullptr)
        return;
    CloseHandle(state);
    state = nullptr;
}
