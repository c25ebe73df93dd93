#pragma once

#include "app/wizard_view.h"
#include "support/report_capture.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

// A WizardView that keeps the controls' state in plain maps, answers the
// dialogs from scripted replies and records what the wizard showed, so the
// dialog logic can be driven and checked without a toolkit.
class FakeWizardView final : public WizardView {
public:
    struct ComboItem {
        std::u16string text;
        intptr_t data;
    };
    struct Progress {
        int32_t low = 0;
        int32_t high = 100;
        int32_t position = 0;
    };

    // The wizard's modal run: delivers kWmInitDialog and returns at once, the
    // end code if the wizard has already ended, else -1.
    intptr_t RunModal(CTDlg& dialog) override;
    void EndDialog(DialogWindow window, intptr_t endCode) override;

    void CreatePages(DialogWindow frame) override;
    void DestroyPages() override;
    void SetPageVisible(int32_t page, bool visible) override;
    void SetText(int32_t controlId, const char16_t* text) override;
    void EnableControl(int32_t controlId, bool enabled) override;
    bool IsControlEnabled(int32_t controlId) override;
    void SetFocus(int32_t controlId) override;
    int32_t FocusedControl() override;
    void ClearCombo(int32_t controlId) override;
    void AddComboItem(int32_t controlId, const char16_t* text, intptr_t data) override;
    void SetComboSelection(int32_t controlId, int32_t position) override;
    int32_t ComboSelection(int32_t controlId) override;
    intptr_t ComboItemData(int32_t controlId, int32_t position) override;
    void SetProgressRange(int32_t controlId, int32_t low, int32_t high) override;
    void SetProgressPosition(int32_t controlId, int32_t position) override;
    int32_t ProgressPosition(int32_t controlId) override;
    bool IsChecked(int32_t controlId) override;
    CWStr Caption() override;
    void SetCaption(const char16_t* text) override;
    bool ProductVersion(int32_t (&parts)[4]) override;
    void StartTimer(uintptr_t timerId, uint32_t intervalMs) override;
    void StopTimer(uintptr_t timerId) override;
    WindowHandle ReportTarget() override;
    bool AskSaveFile(SaveFileRequest& request) override;
    bool AskYesNo(const char16_t* text) override;
    void ShowMessage(const char16_t* text) override;
    void ShowWarning(const char16_t* text) override;
    void OpenFolder(const char16_t* folder) override;

    // The user's actions, as the front end would deliver them; a button
    // clicked or the port list chosen in takes the focus, as in a real window.
    void Click(CTDlg& dialog, int32_t frameButton);
    void ClickPageControl(CTDlg& dialog, int32_t controlId);
    void SelectPort(CTDlg& dialog, intptr_t data);
    void CloseBox(CTDlg& dialog);
    void Tick(CTDlg& dialog);
    void Report(CTDlg& dialog, uintptr_t wParam, intptr_t lParam);
    // Hands the worker's reports to the wizard as they come, until the run's
    // final one (complete or failed) or until `timeoutMs` passed; the count.
    int32_t DeliverWorkerReports(CTDlg& dialog, uint32_t timeoutMs);
    // Drops the worker's reports until the run's final one; false when none
    // came within `timeoutMs`.
    bool DiscardWorkerReports(uint32_t timeoutMs);

    // The page shown; -1 when none is, or more than one.
    int32_t ShownPage() const;
    std::u16string Text(int32_t controlId) const;

    DialogWindow frame = reinterpret_cast<DialogWindow>(0x131);
    bool pagesCreated = false;
    bool ended = false;
    intptr_t endCode = -1;
    std::map<int32_t, std::u16string> texts;
    std::map<int32_t, bool> enabled;
    std::map<int32_t, bool> checked;
    std::map<int32_t, bool> pageVisible;
    std::map<int32_t, std::vector<ComboItem>> combos;
    std::map<int32_t, int32_t> comboSelection;
    std::map<int32_t, Progress> progress;
    std::map<uintptr_t, uint32_t> timers;
    int32_t focus = 0;
    std::u16string caption = u"ZOR7700Track";
    int32_t version[4] = {1, 2, 3, 4};
    bool versionAvailable = true;

    // Scripted replies, taken in order; an empty script answers No/cancel.
    std::deque<bool> yesNoAnswers;
    struct SaveReply {
        std::u16string path;
        TrackFormat format;
    };
    std::deque<SaveReply> saveReplies;

    // What the wizard showed or asked.
    std::vector<std::u16string> questions;
    std::vector<std::u16string> messages;
    std::vector<std::u16string> warnings;
    std::vector<std::u16string> openedFolders;
    struct SaveAsked {
        std::u16string path;
        std::u16string initialFolder; // empty when none was given
        TrackFormat format;
    };
    std::vector<SaveAsked> saveRequests;
    // Run while the question or the message is displayed, as a report that
    // arrives meanwhile would be.
    std::function<void()> whileAsking;
    std::function<void()> whileShowingMessage;

    // Where the worker posts (a queue, or a message-only window on Windows);
    // its reports stay there until a test delivers them.
    ReportCapture workerReports;
};
