#include "console.h"

#include <atomic>

#include <io.h>
#include <stdio.h>
#include <windows.h>

namespace {

std::atomic<bool> interrupted{false};

BOOL WINAPI onControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    interrupted = true;
    return TRUE;
}

} // namespace

bool outputIsTerminal() {
    return _isatty(_fileno(stdout)) != 0;
}

// The visible window, not the scroll-back buffer, which is often wider.
int32_t terminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

void watchInterrupt() {
    SetConsoleCtrlHandler(onControl, TRUE);
}

bool interruptRequested() {
    return interrupted.load();
}
