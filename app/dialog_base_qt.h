#pragma once

#include "app/dialog_base.h"

#include <QDialog>

#include <cstdint>
#include <map>

class QAbstractButton;
class QComboBox;
class QTimer;

// A QDialog standing in for the Win32 dialog manager: it turns the toolkit's
// events into the messages CTDlg::HandleMessage understands (buttons into
// kWmCommand, the close box into kWmSysCommand/kScClose, Escape and Enter into
// IDCANCEL and IDOK, timers into kWmTimer), and runs modally until endModal.
class QtDialogFrame : public QDialog {
public:
    QtDialogFrame();
    ~QtDialogFrame() override;

    // Binds the dialog, delivers kWmInitDialog and runs until endModal;
    // returns the end code.
    intptr_t runModal(CTDlg& dialog);
    void endModal(intptr_t endCode);
    bool isRunning() const { return running; }

    // Hands one message to the bound dialog; 0 when none is bound.
    intptr_t deliver(uint32_t message, uintptr_t wParam, intptr_t lParam);

    // Frame buttons go through HandleMessage; page controls straight to the
    // owner's OnCommand, as a page's dialog procedure would send them.
    void routeFrameButton(QAbstractButton* button, uint16_t id);
    void routePageButton(QAbstractButton* button, uint16_t id);
    void routePageCombo(QComboBox* combo, uint16_t id);

    void startTimer(uintptr_t timerId, uint32_t intervalMs);
    void stopTimer(uintptr_t timerId);

    DialogWindow window() { return static_cast<DialogWindow>(this); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void accept() override;

private:
    CTDlg* dialog = nullptr;
    bool running = false;
    intptr_t endCode = 0;
    std::map<uintptr_t, QTimer*> timers;
};
