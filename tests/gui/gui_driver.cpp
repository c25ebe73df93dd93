#include "gui_driver.h"

#include <cstdio>

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
            std::fprintf(stderr, "  timed out waiting for: %s\n", qPrintable(step.what));
            timer.stop();
            if (abortSession) {
                abortSession();
            }
        }
        return;
    }
    // Counted before acting: an action may open a modal dialog, inside whose
    // event loop the following steps are played. Qt does not fire a timer
    // again while its own handler runs, so the action runs from the event
    // queue instead.
    waitedMs = 0;
    ++next;
    // The session's trail, so a stuck run shows how far it got.
    std::fprintf(stderr, "  step: %s\n", qPrintable(step.what));
    QMetaObject::invokeMethod(
        this, [act = step.act] { act(); }, Qt::QueuedConnection);
}
