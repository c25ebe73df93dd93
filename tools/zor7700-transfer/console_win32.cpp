#include "console.h"

#include <atomic>

#include <io.h>
#include <stdio.h>
#include <windows.h>

namespace {

// Windows ends the process once the handler returns from a close, log-off or
// shut-down event, and at the latest after 5 s; until then the run stops and
// removes its temporary files.
constexpr DWORD kEndingGraceMs = 4500;

std::atomic<bool> interrupted{false};

BOOL WINAPI onControl(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        interrupted = true;
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        interrupted = true;
        Sleep(kEndingGraceMs);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

// Handles are not numbered slots here: a file the tool opens never becomes
// a standard stream, so there is nothing to guard.
void guardStandardStreams() {}

bool messagesGoToTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

// The visible window, not the scroll-back buffer, which is often wider.
int32_t terminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

// A reader that went away fails the write itself; there is no signal here.
void watchInterrupt() {
    SetConsoleCtrlHandler(onControl, TRUE);
}

bool interruptRequested() {
    return interrupted.load();
}
