#include "support/fake_wizard_view.h"

#include "resources/resource_ids.h"
#include "device/worker_platform.h"

intptr_t FakeWizardView::RunModal(CTDlg& dialog) {
    dialog.HandleMessage(frame, kWmInitDialog, 0, reinterpret_cast<intptr_t>(&dialog));
    return ended ? endCode : -1;
}

void FakeWizardView::EndDialog(DialogWindow, intptr_t code) {
    ended = true;
    endCode = code;
}

void FakeWizardView::CreatePages(DialogWindow) {
    pagesCreated = true;
    for (int32_t page = 0; page < kPageCount; ++page) {
        pageVisible[page] = false;
    }
    progress[IDC_CONNECT_PROGRESS] = Progress{};
    progress[IDC_TRANSFER_PROGRESS] = Progress{};
}

void FakeWizardView::DestroyPages() {
    pagesCreated = false;
}

void FakeWizardView::SetPageVisible(int32_t page, bool visible) {
    pageVisible[page] = visible;
}

void FakeWizardView::SetText(int32_t controlId, const char16_t* text) {
    texts[controlId] = text;
}

void FakeWizardView::EnableControl(int32_t controlId, bool on) {
    enabled[controlId] = on;
    // A disabled control loses the focus, as a Win32 control does.
    if (!on && focus == controlId) {
        focus = 0;
    }
}

bool FakeWizardView::IsControlEnabled(int32_t controlId) {
    // Controls start enabled, as a dialog template creates them.
    const auto found = enabled.find(controlId);
    return found == enabled.end() || found->second;
}

void FakeWizardView::SetFocus(int32_t controlId) {
    focus = controlId;
}

int32_t FakeWizardView::FocusedControl() {
    return focus;
}

void FakeWizardView::ClearCombo(int32_t controlId) {
    combos[controlId].clear();
    comboSelection[controlId] = -1;
}

void FakeWizardView::AddComboItem(int32_t controlId, const char16_t* text, intptr_t data) {
    combos[controlId].push_back({text, data});
}

void FakeWizardView::SetComboSelection(int32_t controlId, int32_t position) {
    const auto count = static_cast<int32_t>(combos[controlId].size());
    comboSelection[controlId] = position >= 0 && position < count ? position : -1;
}

int32_t FakeWizardView::ComboSelection(int32_t controlId) {
    const auto found = comboSelection.find(controlId);
    return found == comboSelection.end() ? -1 : found->second;
}

intptr_t FakeWizardView::ComboItemData(int32_t controlId, int32_t position) {
    const auto& items = combos[controlId];
    if (position < 0 || position >= static_cast<int32_t>(items.size())) {
        return -1;
    }
    return items[static_cast<size_t>(position)].data;
}

void FakeWizardView::SetProgressRange(int32_t controlId, int32_t low, int32_t high) {
    progress[controlId].low = low;
    progress[controlId].high = high;
}

void FakeWizardView::SetProgressPosition(int32_t controlId, int32_t position) {
    // A progress bar keeps its position inside its range.
    Progress& bar = progress[controlId];
    bar.position = position < bar.low ? bar.low : position > bar.high ? bar.high : position;
}

int32_t FakeWizardView::ProgressPosition(int32_t controlId) {
    return progress[controlId].position;
}

bool FakeWizardView::IsChecked(int32_t controlId) {
    return checked[controlId];
}

CWStr FakeWizardView::Caption() {
    return CWStr(caption.c_str());
}

void FakeWizardView::SetCaption(const char16_t* text) {
    caption = text;
}

bool FakeWizardView::ProductVersion(int32_t (&parts)[4]) {
    for (int i = 0; i < 4; ++i) {
        parts[i] = version[i];
    }
    return versionAvailable;
}

void FakeWizardView::StartTimer(uintptr_t timerId, uint32_t intervalMs) {
    timers[timerId] = intervalMs;
}

void FakeWizardView::StopTimer(uintptr_t timerId) {
    timers.erase(timerId);
}

WindowHandle FakeWizardView::ReportTarget() {
    return workerReports.target();
}

bool FakeWizardView::AskSaveFile(SaveFileRequest& request) {
    saveRequests.push_back({request.path.c_str(),
                            request.initialFolder ? request.initialFolder : u"", request.format});
    if (saveReplies.empty()) {
        return false;
    }
    const SaveReply reply = saveReplies.front();
    saveReplies.pop_front();
    request.path = CWStr(reply.path.c_str());
    request.format = reply.format;
    return true;
}

bool FakeWizardView::AskYesNo(const char16_t* text) {
    questions.push_back(text);
    // As a Win32 window does, the focus goes back where it was when the
    // question closes, which fails for a control disabled meanwhile.
    const int32_t focusBefore = focus;
    if (whileAsking) {
        whileAsking();
    }
    focus = IsControlEnabled(focusBefore) ? focusBefore : 0;
    if (yesNoAnswers.empty()) {
        return false;
    }
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

void FakeWizardView::ShowWarning(const char16_t* text) {
    warnings.push_back(text);
}

void FakeWizardView::ShowMessage(const char16_t* text) {
    messages.push_back(text);
    if (whileShowingMessage) {
        whileShowingMessage();
    }
}

void FakeWizardView::OpenFolder(const char16_t* folder) {
    openedFolders.push_back(folder);
}

void FakeWizardView::Click(CTDlg& dialog, int32_t frameButton) {
    // Ids 1 and 2 are Enter and Escape, which move no focus.
    if (frameButton != kIdOk && frameButton != kIdCancel) {
        focus = frameButton;
    }
    dialog.HandleMessage(frame, kWmCommand,
                         makeCommandParam(static_cast<uint16_t>(frameButton), kBnClicked), 0);
}

void FakeWizardView::ClickPageControl(CTDlg& dialog, int32_t controlId) {
    focus = controlId;
    CTDlg::RoutePageCommand(&dialog, makeCommandParam(static_cast<uint16_t>(controlId), kBnClicked),
                            0);
}

void FakeWizardView::SelectPort(CTDlg& dialog, intptr_t data) {
    const auto& items = combos[IDC_PORT_COMBO];
    int32_t position = -1;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].data == data) {
            position = static_cast<int32_t>(i);
        }
    }
    comboSelection[IDC_PORT_COMBO] = position;
    // The user chooses in the list, by mouse or by keys: it has the focus.
    focus = IDC_PORT_COMBO;
    CTDlg::RoutePageCommand(&dialog, makeCommandParam(IDC_PORT_COMBO, kCbnSelChange), 0);
}

void FakeWizardView::CloseBox(CTDlg& dialog) {
    dialog.HandleMessage(frame, kWmSysCommand, kScClose, 0);
}

void FakeWizardView::Tick(CTDlg& dialog) {
    dialog.HandleMessage(frame, kWmTimer, kBusyTimerId, 0);
}

void FakeWizardView::Report(CTDlg& dialog, uintptr_t wParam, intptr_t lParam) {
    dialog.HandleMessage(frame, WM_TRANSFER, wParam, lParam);
}

int32_t FakeWizardView::DeliverWorkerReports(CTDlg& dialog, uint32_t timeoutMs) {
    const uint32_t start = tickCount();
    int32_t delivered = 0;
    PostedReport report{};
    bool final = false;
    while (!final && tickCount() - start < timeoutMs) {
        if (!workerReports.waitNext(report, 20)) {
            continue;
        }
        dialog.HandleMessage(frame, report.message, report.wParam, report.lParam);
        ++delivered;
        final = isFinalReport(report.wParam);
    }
    return delivered;
}

bool FakeWizardView::DiscardWorkerReports(uint32_t timeoutMs) {
    PostedReport report{};
    while (workerReports.waitNext(report, timeoutMs)) {
        if (isFinalReport(report.wParam))
            return true;
    }
    return false;
}

int32_t FakeWizardView::ShownPage() const {
    int32_t shownPage = -1;
    for (const auto& [page, shown] : pageVisible) {
        if (shown) {
            if (shownPage >= 0) {
                return -1;
            }
            shownPage = page;
        }
    }
    return shownPage;
}

std::u16string FakeWizardView::Text(int32_t controlId) const {
    const auto found = texts.find(controlId);
    return found == texts.end() ? std::u16string() : found->second;
}
