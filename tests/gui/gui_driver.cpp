#include "gui_driver.h"

namespace {

constexpr int kPollMs = 25;

} // namespace

void GuiDriver::start() {
    connect(&timer, &QTimer::timeout, this, [this] { poll(); });
    timer.start(kPollMs);
}

void GuiDriver::poll() {
    if (next >= steps.size()) {
        timer.stop();
        return;
    }
    Step& step = steps[next];
    if (!step.ready()) {
        waitedMs += kPollMs;
        if (waitedMs > stepTimeoutMs) {
            failed = step.what;
            timer.stop();
            if (abortSession) {
                abortSession();
            }
        }
        return;
    }
    // Counted before acting: an action may open a modal dialog, inside whose
    // event loop the following steps are played.
    waitedMs = 0;
    ++next;
    step.act();
}
