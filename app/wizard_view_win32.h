#pragma once

#include "app/wizard_view.h"

#include <array>

#include <windows.h>

struct IAccPropServices;

// The wizard's controls as Win32 dialogs: the frame from template 131, the
// pages as modeless child dialogs at the placeholder, common dialogs and
// message boxes owned by the frame.
class Win32WizardView : public WizardView {
public:
    Win32WizardView() = default;
    Win32WizardView(const Win32WizardView&) = delete;
    Win32WizardView& operator=(const Win32WizardView&) = delete;
    ~Win32WizardView();

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

    WindowHandle ReportTarget() override { return frame; }

    bool AskSaveFile(SaveFileRequest& request) override;
    bool AskYesNo(const char16_t* text) override;
    void ShowMessage(const char16_t* text) override;
    void ShowWarning(const char16_t* text) override;
    void OpenFolder(const char16_t* folder) override;

private:
    // A control of the frame or of any page; ids are unique across them.
    HWND Control(int32_t controlId) const;
    LRESULT Send(int32_t controlId, UINT message, WPARAM wParam, LPARAM lParam) const;
    void SetFrameIcon();
    // The screen reader names of kAccessibleNames, set on the pages'
    // controls and cleared again before they go.
    void NameControls();
    void ClearControlNames();

    HWND frame = nullptr;
    std::array<HWND, kPageCount> pages{};
    HFONT headingFont = nullptr;
    HICON icon = nullptr;
    IAccPropServices* accessibility = nullptr;
};
