#pragma once

#include "app/dialog_base_qt.h"
#include "app/wizard_layout_qt.h"
#include "app/wizard_view.h"
#include "device/report_queue.h"

#include <QFont>

#include <array>
#include <map>

class QPushButton;
class QWidget;

// The wizard's frame and pages as Qt widgets, found by control id; dialogs
// through QFileDialog, QMessageBox and QDesktopServices.
class QtWizardView : public WizardView {
public:
    QtWizardView();
    ~QtWizardView();

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

    // The frame, for tests that drive the window.
    QtDialogFrame& Frame() { return frame; }
    QWidget* Control(int32_t controlId) const;
    QWidget* Page(int32_t page) const { return pages[static_cast<size_t>(page)]; }

private:
    void BuildFrame();
    // A template control made a widget: created, placed, given the heading
    // font where it is a heading, and registered.
    QWidget* BuildControl(QWidget* parent, const ControlTemplate& control,
                          const DialogUnits& units);
    // Found by its id (and named so) from now on; a screen reader's name
    // where kAccessibleNames gives one.
    void RegisterControl(QWidget* widget, int32_t controlId);
    void DeliverReports();

    QtDialogFrame frame;
    std::array<QWidget*, kPageCount> pages{};
    // Each page's own default button, if it has one, and the frame's (Next).
    std::array<QPushButton*, kPageCount> pageDefaults{};
    QPushButton* frameDefault = nullptr;
    std::map<int32_t, QWidget*> controls;
    QFont heading;
    ReportQueue reports;
};
