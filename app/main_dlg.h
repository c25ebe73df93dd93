#pragma once

#include "app/dialog_base.h"
#include "app/wizard_buttons.h"
#include "app/wizard_view.h"
#include "device/transfer_worker.h"
#include "support/cwstr.h"
#include "support/port_list.h"
#include "support/settings.h"

#include <cstdint>
#include <functional>

// The worker's run as the wizard sees it.
enum TransferState : int32_t {
    Idle = 0,
    Connecting = 1,
    Transferring = 2,
    Cancelled = 3, // stopped by Previous; its last report is still to come
    Closing = 4,   // being torn down; reports are dropped
};

// The wizard: frame, seven pages, the worker and the three settings. Written
// once against WizardView; each front end supplies the view.
class CMainDlg : public CTDlg {
public:
    // Loads the settings.
    explicit CMainDlg(WizardView& view);
    // Saves the settings, then waits for the worker's thread to end.
    ~CMainDlg() override;

    bool OnInit() override;
    void OnEnd(intptr_t endCode) override;
    bool OnTimer(uintptr_t timerId) override;
    bool OnCommand(intptr_t control, uintptr_t wParam, uint16_t code) override;
    bool PreHandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    // Ends the wizard with `endCode` unless the user declines to leave a
    // running transfer; true when it ended.
    bool RequestClose(intptr_t endCode);
    void OnNext();
    void OnPrevious();
    void OnBrowse();
    void ShowPage(int32_t page);
    // Enables the frame's buttons for the page and places the focus;
    // `fileChosen` after the save dialog returned a file.
    void UpdateButtons(bool fileChosen = false);
    void FillPortCombo();
    // A worker report, handed to its handler below; false only while Closing
    // (the report is dropped).
    bool OnTransferReport(uintptr_t wParam, intptr_t lParam);
    void OnTransferComplete(intptr_t detail);
    // kErrorStopped ends a stopped run quietly; any other code shows the
    // error page.
    void OnTransferFailed(intptr_t code);
    void OnDeviceFound();
    void OnProgress(int32_t percent);
    // Loads (save = false) or saves the three settings.
    void ExchangeSettings(bool save);

private:
    void AppendVersionToCaption();
    // Starts the worker for comPort; false (error page shown) when it cannot.
    bool StartRun();
    void ShowError(int32_t code);
    // Counts a final report (complete or failed) against the runs started;
    // true for one that belongs to a run stopped before the current one.
    bool IsStoppedRunsLastWord(uintptr_t report);
    // Enables and disables the frame's buttons as `states` says, placing the
    // focus in between (see PlaceFocus).
    void ShowButtons(const ButtonStates& states, bool fileChosen);
    // The item data of the port list's selection; -1 for none.
    int32_t SelectedPortData();
    // Puts the focus where it belongs: on the page's first choice after a
    // page change (see kPageFocus), on Next when it has just become enabled
    // or a file has just been chosen (`nextTakesFocus`), and away from a
    // control that cannot hold it; `canTakeFocus` answers with the buttons'
    // new states.
    void PlaceFocus(const std::function<bool(int32_t)>& canTakeFocus, bool nextTakesFocus);

    WizardView& view;
    int32_t transferState = Idle;
    PortList portList;
    TransferWorker worker;
    // comPort, the output format and outputFolder: loaded at construction,
    // saved at destruction.
    Settings settings;
    CWStr selectedFile;
    int32_t currentPage = WelcomePage;
    int32_t errorReturnPage = PortPage;
    // The page the focus was last placed for; -1 before the first.
    int32_t focusPage = -1;
    // Runs started whose final report (complete or failed) has not arrived;
    // a final report while more than one is pending belongs to a stopped
    // earlier run and is dropped.
    int32_t unfinishedRuns = 0;
};

// The entry function's body: runs the wizard on `view`, destroys it (which
// saves the settings) and returns the exit code, always 0.
int RunWizard(WizardView& view);
