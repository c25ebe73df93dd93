#include "console.h"

#include <csignal>
#include <initializer_list>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

} // namespace

void guardStandardStreams() {
    for (int stream = STDIN_FILENO; stream <= STDERR_FILENO; ++stream) {
        if (fcntl(stream, F_GETFD) < 0)
            open("/dev/null", stream == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    }
}

bool messagesGoToTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

int32_t terminalColumns() {
    struct winsize size {};
    return ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

// A closed pipe makes the write fail (EPIPE), which the run reports as a
// failed write.
void watchInterrupt() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    action.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &action, nullptr);
}

bool interruptRequested() {
    return interrupted != 0;
}
