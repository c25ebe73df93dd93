#include "app/dialog_base_qt.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QTimer>

QtDialogFrame::QtDialogFrame() = default;

QtDialogFrame::~QtDialogFrame() = default;

intptr_t QtDialogFrame::runModal(CTDlg& bound) {
    dialog = &bound;
    running = true;
    endCode = 0;
    deliver(kWmInitDialog, 0, reinterpret_cast<intptr_t>(&bound));
    // The dialog may have ended already during its initialisation.
    if (running) {
        exec();
    }
    running = false;
    dialog = nullptr;
    return endCode;
}

void QtDialogFrame::endModal(intptr_t code) {
    endCode = code;
    running = false;
    for (auto& [id, timer] : timers) {
        timer->stop();
    }
    done(static_cast<int>(code));
}

intptr_t QtDialogFrame::deliver(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (dialog == nullptr || !running) {
        return 0;
    }
    return dialog->HandleMessage(window(), message, wParam, lParam);
}

void QtDialogFrame::routeFrameButton(QAbstractButton* button, uint16_t id) {
    connect(button, &QAbstractButton::clicked, this, [this, button, id] {
        deliver(kWmCommand, makeCommandParam(id, kBnClicked), reinterpret_cast<intptr_t>(button));
    });
}

void QtDialogFrame::routePageButton(QAbstractButton* button, uint16_t id) {
    connect(button, &QAbstractButton::clicked, this, [this, button, id] {
        if (running) {
            CTDlg::RoutePageCommand(dialog, makeCommandParam(id, kBnClicked),
                                    reinterpret_cast<intptr_t>(button));
        }
    });
}

void QtDialogFrame::routePageCombo(QComboBox* combo, uint16_t id) {
    // Only the user's choice notifies, as CBN_SELCHANGE does; the wizard's own
    // filling of the list does not.
    connect(combo, &QComboBox::activated, this, [this, combo, id] {
        if (running) {
            CTDlg::RoutePageCommand(dialog, makeCommandParam(id, kCbnSelChange),
                                    reinterpret_cast<intptr_t>(combo));
        }
    });
}

void QtDialogFrame::startTimer(uintptr_t timerId, uint32_t intervalMs) {
    QTimer*& timer = timers[timerId];
    if (timer == nullptr) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, timerId] { deliver(kWmTimer, timerId, 0); });
    }
    timer->start(static_cast<int>(intervalMs));
}

void QtDialogFrame::stopTimer(uintptr_t timerId) {
    const auto found = timers.find(timerId);
    if (found != timers.end()) {
        found->second->stop();
    }
}

void QtDialogFrame::closeEvent(QCloseEvent* event) {
    // The window never closes by itself: the wizard decides, may ask first,
    // and ends the dialog through endModal.
    event->ignore();
    deliver(kWmSysCommand, kScClose, 0);
}

void QtDialogFrame::reject() {
    deliver(kWmCommand, makeCommandParam(kIdCancel, kBnClicked), 0);
}

void QtDialogFrame::accept() {
    deliver(kWmCommand, makeCommandParam(kIdOk, kBnClicked), 0);
}
