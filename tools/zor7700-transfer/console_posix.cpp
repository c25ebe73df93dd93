#include "console.h"

#include <csignal>

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

} // namespace

bool outputIsTerminal() {
    return isatty(STDOUT_FILENO) != 0;
}

int32_t terminalColumns() {
    struct winsize size {};
    return ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

void watchInterrupt() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool interruptRequested() {
    return interrupted != 0;
}
