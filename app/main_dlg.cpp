#include "app/main_dlg.h"

#include "app/file_path.h"
#include "app/wizard_buttons.h"
#include "device/transfer_texts.h"
#include "resources/resource_ids.h"

#include <memory>

namespace {

constexpr int32_t kMainTemplate = IDD_MAIN;
constexpr int32_t kBusyBarRange = 100;
// The caption read back is cut to what a 32-character buffer holds.
constexpr int32_t kCaptionKeep = 31;

constexpr const char16_t* kLeaveQuestion =
    u"Log-Data is currently read from the device.\nExit anyway?";
constexpr const char16_t* kPowerCycleText =
    u"Please Power-Cycle your device to resume normal operation.";

// Where the focus goes when a page is shown: the page's own default button,
// else Next, else the page's first control, else Previous, else Cancel; the
// first of these that is enabled.
struct PageFocus {
    int32_t ownDefault;
    int32_t firstControl;
};
constexpr PageFocus kPageFocus[kPageCount] = {
    {0, 0}, {0, IDC_PORT_COMBO}, {0, 0}, {IDC_BROWSE, 0}, {0, 0}, {0, IDC_OPEN_FOLDER}, {0, 0},
};

struct ButtonState {
    int32_t id;
    bool enabled;
};

} // namespace

CMainDlg::CMainDlg(WizardView& view) : CTDlg(view), view(view) {
    templateId = kMainTemplate;
    owner = nullptr;
    ExchangeSettings(false);
}

CMainDlg::~CMainDlg() {
    ExchangeSettings(true);
    // The worker's thread may outlive a stop that timed out; it still uses the
    // worker's fields, so the object must not go before the thread has ended.
    // A run that is somehow still waiting for the go-ahead is told to stop
    // first, else it would wait forever.
    if (worker.isRunning()) {
        worker.stopTransfer();
    }
    worker.joinTransfer();
}

bool CMainDlg::OnInit() {
    view.CreatePages(hwnd);
    // The heading's text is the core's, written before any page shows.
    view.SetText(IDC_SUCCESS_HEADING, CompletionText(false));
    AppendVersionToCaption();
    currentPage = WelcomePage;
    ShowPage(WelcomePage);
    UpdateButtons();
    FillPortCombo();
    view.StartTimer(kBusyTimerId, kBusyTimerMs);
    // UpdateButtons has put the focus on Next.
    return false;
}

void CMainDlg::AppendVersionToCaption() {
    int32_t parts[4] = {};
    if (!view.ProductVersion(parts)) {
        return;
    }
    CWStr suffix;
    suffix.Format(u" - v%i.%i.%i.%i", parts[0], parts[1], parts[2], parts[3]);
    CWStr caption = view.Caption();
    if (caption.Length() > kCaptionKeep) {
        caption.Reserve(caption.Length(), true);
        caption.Buffer()[kCaptionKeep] = 0;
    }
    caption.Append(suffix);
    view.SetCaption(caption);
}

void CMainDlg::OnEnd(intptr_t) {
    view.StopTimer(kBusyTimerId);
    if (transferState == Connecting || transferState == Transferring) {
        const bool wasTransferring = transferState == Transferring;
        transferState = Closing;
        worker.stopTransfer();
        if (wasTransferring) {
            view.ShowMessage(kPowerCycleText);
        }
    }
    view.DestroyPages();
}

bool CMainDlg::OnCommand(intptr_t, uintptr_t wParam, uint16_t code) {
    const uint16_t id = commandId(wParam);
    if (code == kCbnSelChange) {
        if (id == IDC_PORT_COMBO) {
            // The user's choice, the placeholder included, is the setting.
            settings.comPort = SelectedPortData();
            UpdateButtons();
        }
        return true;
    }
    if (code != kBnClicked) {
        return false;
    }
    switch (id) {
    case kIdOk:
    case kIdCancel:
        // Reported as handled so Escape and Enter never end the wizard.
        return true;
    case IDC_NEXT:
        OnNext();
        return true;
    case IDC_CANCEL:
        RequestClose(IDC_CANCEL);
        return true;
    case IDC_REFRESH:
        FillPortCombo();
        UpdateButtons();
        return true;
    case IDC_PREVIOUS:
        OnPrevious();
        return true;
    case IDC_BROWSE:
        OnBrowse();
        return true;
    case IDC_OPEN_FOLDER:
        view.OpenFolder(settings.outputFolder);
        return true;
    default:
        return false;
    }
}

bool CMainDlg::PreHandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == kWmSysCommand && wParam == kScClose) {
        RequestClose(0);
        return true;
    }
    if (message == WM_TRANSFER) {
        return OnTransferReport(wParam, lParam);
    }
    return false;
}

bool CMainDlg::RequestClose(intptr_t endCode) {
    if (transferState == Transferring && !view.AskYesNo(kLeaveQuestion)) {
        // A report may have changed the page behind the question; the focus
        // it gives back may be on a control that can no longer take it.
        UpdateButtons();
        return false;
    }
    EndWith(endCode);
    return true;
}

void CMainDlg::OnNext() {
    if (currentPage == PortPage) {
        settings.comPort = SelectedPortData();
        if (!StartRun()) {
            return;
        }
        view.SetProgressPosition(IDC_CONNECT_PROGRESS, 0);
        view.SetProgressRange(IDC_CONNECT_PROGRESS, 0, kBusyBarRange);
    } else if (currentPage == OutputPage) {
        worker.eraseAfterRead = view.IsChecked(IDC_ERASE_CHECK);
        worker.trackFormat = settings.trackFormat;
        transferState = Transferring;
        worker.outputPath = selectedFile;
        worker.proceed();
    }
    if (currentPage >= SuccessPage) {
        EndWith(0);
        return;
    }
    ShowPage(currentPage + 1);
    UpdateButtons();
}

bool CMainDlg::StartRun() {
    // A stopped run whose thread outlived its stop refuses the new start; it
    // has been told to stop, so wait for its end and start again rather than
    // leave the connecting page waiting for a report that never comes.
    bool started = worker.startTransfer(settings.comPort, view.ReportTarget());
    if (!started) {
        worker.joinTransfer();
        started = worker.startTransfer(settings.comPort, view.ReportTarget());
    }
    if (!started) {
        // Only a thread that cannot be created gets here; say so rather
        // than wait on the connecting page.
        ShowError(kErrorNone);
        return false;
    }
    ++unfinishedRuns;
    transferState = Connecting;
    return true;
}

void CMainDlg::OnPrevious() {
    if (currentPage == OutputPage) {
        worker.stopTransfer();
        transferState = Cancelled;
        ShowPage(PortPage);
    } else if (currentPage == ErrorPage) {
        ShowPage(errorReturnPage);
    } else if (currentPage > WelcomePage) {
        ShowPage(currentPage - 1);
    }
    UpdateButtons();
}

void CMainDlg::OnBrowse() {
    SaveFileRequest request;
    request.path = selectedFile;
    request.initialFolder = selectedFile.IsEmpty() ? settings.outputFolder : nullptr;
    request.format = settings.trackFormat;
    if (!view.AskSaveFile(request)) {
        // As after a declined question (RequestClose).
        UpdateButtons();
        return;
    }
    settings.trackFormat = request.format;
    selectedFile = request.path;
    copyFolderOf(selectedFile, settings.outputFolder);
    view.SetText(IDC_OUTPUT_PATH, selectedFile);
    // With a file chosen the user goes on: Enter then presses Next rather
    // than opening the dialog again.
    UpdateButtons(true);
}

void CMainDlg::ShowPage(int32_t page) {
    view.SetPageVisible(currentPage, false);
    currentPage = page;
    view.SetPageVisible(currentPage, true);
}

void CMainDlg::UpdateButtons(bool fileChosen) {
    // Only read: a remembered port that is not present yet stays the setting
    // until the user chooses another item.
    const ButtonStates states =
        buttonStates({currentPage, SelectedPortData(), !selectedFile.IsEmpty()});
    view.SetText(IDC_NEXT, states.nextText);
    ShowButtons(states, fileChosen);
}

void CMainDlg::ShowButtons(const ButtonStates& states, bool fileChosen) {
    const ButtonState buttons[] = {
        {IDC_NEXT, states.next},
        {IDC_PREVIOUS, states.previous},
        {IDC_CANCEL, states.cancel},
    };
    const bool nextWasEnabled = view.IsControlEnabled(IDC_NEXT);
    // Buttons are enabled before the focus moves and disabled after it, so
    // the focus never rests on a disabled control.
    for (const ButtonState& button : buttons) {
        if (button.enabled) {
            view.EnableControl(button.id, true);
        }
    }
    const auto canTakeFocus = [&](int32_t id) {
        for (const ButtonState& button : buttons) {
            if (button.id == id) {
                return button.enabled;
            }
        }
        return id != 0 && view.IsControlEnabled(id);
    };
    PlaceFocus(canTakeFocus, states.next && (fileChosen || !nextWasEnabled));
    for (const ButtonState& button : buttons) {
        if (!button.enabled) {
            view.EnableControl(button.id, false);
        }
    }
}

void CMainDlg::PlaceFocus(const std::function<bool(int32_t)>& canTakeFocus, bool nextTakesFocus) {
    const auto pageHome = [&] {
        const PageFocus& page = kPageFocus[currentPage];
        for (const int32_t id :
             {page.ownDefault, IDC_NEXT, page.firstControl, IDC_PREVIOUS, IDC_CANCEL}) {
            if (canTakeFocus(id)) {
                return id;
            }
        }
        return 0;
    };
    const int32_t focused = view.FocusedControl();
    int32_t target = focused;
    if (currentPage != focusPage) {
        target = pageHome();
    } else if (nextTakesFocus && focused != IDC_PORT_COMBO) {
        // Next takes the focus once the user can go on, but the port list
        // keeps it while the user moves through it with the arrow keys.
        target = IDC_NEXT;
    } else if (!canTakeFocus(focused)) {
        target = pageHome();
    }
    focusPage = currentPage;
    if (target != focused) {
        view.SetFocus(target);
    }
}

int32_t CMainDlg::SelectedPortData() {
    return static_cast<int32_t>(
        view.ComboItemData(IDC_PORT_COMBO, view.ComboSelection(IDC_PORT_COMBO)));
}

void CMainDlg::FillPortCombo() {
    portList.Refresh();
    auto items = std::make_unique<PortComboItems>();
    buildPortComboItems(portList, settings.comPort, *items);
    view.ClearCombo(IDC_PORT_COMBO);
    for (int32_t i = 0; i < items->count; ++i) {
        view.AddComboItem(IDC_PORT_COMBO, items->texts[i], items->data[i]);
    }
    view.SetComboSelection(IDC_PORT_COMBO, items->selection);
}

bool CMainDlg::OnTransferReport(uintptr_t wParam, intptr_t lParam) {
    if (transferState == Closing) {
        return false;
    }
    if (IsStoppedRunsLastWord(wParam)) {
        return true;
    }
    switch (wParam) {
    case kReportComplete:
        OnTransferComplete(lParam);
        break;
    case kReportFailed:
        OnTransferFailed(lParam);
        break;
    case kReportDeviceFound:
        OnDeviceFound();
        break;
    case kReportProgress:
        OnProgress(static_cast<int32_t>(lParam));
        break;
    default:
        break;
    }
    return true;
}

bool CMainDlg::IsStoppedRunsLastWord(uintptr_t report) {
    if (!isFinalReport(report) || unfinishedRuns == 0) {
        return false;
    }
    --unfinishedRuns;
    // The last word of a run that was stopped before the current one
    // started: it must not end the current run's state.
    return unfinishedRuns > 0;
}

void CMainDlg::OnTransferComplete(intptr_t detail) {
    ShowPage(SuccessPage);
    view.SetText(IDC_SUCCESS_HEADING, CompletionText(detail == kCompleteMemoryErased));
    UpdateButtons();
    transferState = Idle;
    // The run has ended, so its record is final and ours to read.
    const CWStr warning =
        CompletionWarning({static_cast<CompletionDetail>(detail), worker.completeness(),
                           worker.layout(), worker.device(), worker.lineRateRestored()});
    if (!warning.IsEmpty())
        view.ShowWarning(warning);
}

void CMainDlg::OnTransferFailed(intptr_t code) {
    if (code != kErrorStopped) {
        ShowError(static_cast<int32_t>(code));
        return;
    }
    if (currentPage == TransferPage) {
        ShowPage(PortPage);
        UpdateButtons();
    }
    transferState = Idle;
}

// The run waits for the go-ahead now and leaves what it found alone. A
// module's status shows under the page's text; the ZOR 7700's page stays as
// it was.
void CMainDlg::OnDeviceFound() {
    if (currentPage == ConnectingPage) {
        view.SetText(IDC_DEVICE_STATUS, DeviceStatusText(worker.device()));
        ShowPage(OutputPage);
        UpdateButtons();
    }
}

void CMainDlg::OnProgress(int32_t percent) {
    view.SetProgressPosition(IDC_TRANSFER_PROGRESS, percent);
}

void CMainDlg::ShowError(int32_t code) {
    errorReturnPage = PortPage;
    view.SetText(IDC_ERROR_TEXT, ErrorText(code));
    ShowPage(ErrorPage);
    UpdateButtons();
    transferState = Idle;
}

bool CMainDlg::OnTimer(uintptr_t) {
    if (currentPage == ConnectingPage) {
        const int32_t position = view.ProgressPosition(IDC_CONNECT_PROGRESS);
        view.SetProgressPosition(IDC_CONNECT_PROGRESS, (position + 1) % kBusyBarRange);
    }
    return true;
}

int RunWizard(WizardView& view) {
    auto wizard = std::make_unique<CMainDlg>(view);
    wizard->RunModal();
    wizard.reset();
    return 0;
}

void CMainDlg::ExchangeSettings(bool save) {
    ::ExchangeSettings(settings, save);
}
