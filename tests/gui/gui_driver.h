#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

// Plays a user's session against a running modal window: each step waits
// until its condition holds (a page shown, a dialog open), then acts with
// keyboard and mouse events. Runs on a timer, so it keeps going inside the
// nested event loops of modal dialogs.
class GuiDriver : public QObject {
public:
    struct Step {
        QString what;
        std::function<bool()> ready;
        std::function<void()> act;
    };

    explicit GuiDriver(int stepTimeoutMs) : stepTimeoutMs(stepTimeoutMs) {}

    void add(const QString& what, std::function<bool()> ready, std::function<void()> act) {
        steps.push_back({what, std::move(ready), std::move(act)});
    }
    // Called when a step times out, to get the window out of the way.
    void onTimeout(std::function<void()> abort) { abortSession = std::move(abort); }
    void start();

    bool finished() const { return next == steps.size(); }
    // The step that timed out, empty if none did.
    const QString& failedStep() const { return failed; }

private:
    void poll();

    std::vector<Step> steps;
    size_t next = 0;
    int stepTimeoutMs;
    int waitedMs = 0;
    QString failed;
    QTimer timer;
    std::function<void()> abortSession;
};
