#pragma once

#include "app/dialog_base.h"
#include "device/report_target.h"
#include "resources/resource_ids.h"
#include "support/cwstr.h"
#include "support/track_format.h"

#include <cstdint>

// The wizard's pages in index order; page i's heading is control
// IDC_HEADING_FIRST + i.
enum WizardPage : int32_t {
    WelcomePage = 0,
    PortPage = 1,
    ConnectingPage = 2,
    OutputPage = 3,
    TransferPage = 4,
    SuccessPage = 5,
    ErrorPage = 6,
    kPageCount = 7,
};

// Dialog template of each page, in page order.
constexpr int32_t kPageTemplates[kPageCount] = {
    IDD_WELCOME_PAGE,  IDD_PORT_PAGE,    IDD_CONNECTING_PAGE, IDD_OUTPUT_PAGE,
    IDD_TRANSFER_PAGE, IDD_SUCCESS_PAGE, IDD_ERROR_PAGE,
};

// The frame's timer that drives the connecting page's busy bar.
constexpr uintptr_t kBusyTimerId = 1;
constexpr uint32_t kBusyTimerMs = 50;

// The save dialog's file types, offered in this order (filter index 1 to 3)
// with an overwrite confirmation and a refusal of read-only files and
// folders. The type the user picks decides the output format, whatever the
// name; a name typed without an extension gets the picked type's suffix, one
// typed with an extension is kept as typed.
struct SaveFileType {
    const char16_t* name;
    const char16_t* pattern;
    const char16_t* suffix;
};
constexpr SaveFileType kSaveFileTypes[] = {
    {u"KML-File", u"*.kml", u"kml"},
    {u"NMEA-File", u"*.txt", u"txt"},
    {u"GPX-File", u"*.gpx", u"gpx"},
};
// The types stand in TrackFormat's order; dialogs count them from 1.
constexpr int32_t filterIndexOf(TrackFormat format) {
    return static_cast<int32_t>(format) + 1;
}
constexpr TrackFormat formatOfFilterIndex(int32_t index) {
    return index == filterIndexOf(TrackFormat::Nmea)  ? TrackFormat::Nmea
           : index == filterIndexOf(TrackFormat::Gpx) ? TrackFormat::Gpx
                                                      : TrackFormat::Kml;
}
// The suffix the dialog starts with, before any type is picked.
constexpr const char16_t* kDefaultSuffix = u"kml";

// What a screen reader says for the controls whose own text does not say
// what they are (a list, a field, "...", the progress bars), and the page
// text that describes the control, where one does (a label buddy on
// toolkits that have them; 0 for none). Every other control, the check box
// and the page texts among them, is announced by its own text.
struct AccessibleName {
    int32_t controlId;
    const char16_t* name;
    int32_t labelId;
};
constexpr AccessibleName kAccessibleNames[] = {
    {IDC_PORT_COMBO, u"Bluetooth serial port", IDC_PORT_HEADING},
    {IDC_OUTPUT_PATH, u"Output file", IDC_OUTPUT_HEADING},
    {IDC_BROWSE, u"Choose output file", 0},
    {IDC_CONNECT_PROGRESS, u"Connecting", 0},
    {IDC_TRANSFER_PROGRESS, u"Transfer progress", 0},
};

// Caption of the question and message boxes.
constexpr const char16_t* kMessageCaption = u"ZOR7700Track";

struct SaveFileRequest {
    // In: the current choice (empty for none) and, when there is none, the
    // folder to open in. Out (when the dialog returns true): the chosen path.
    CWStr path;
    const char16_t* initialFolder = nullptr;
    // In and out: the file type.
    TrackFormat format = TrackFormat::Kml;
};

// Everything the wizard logic needs from a toolkit, by control id
// (resources/resource_ids.h). Ids are unique across the frame and the pages,
// so a front end finds any control by its id alone. Each front end feeds the
// user's actions back as messages to CTDlg::HandleMessage (frame buttons,
// kWmTimer, kWmSysCommand, WM_TRANSFER) or CTDlg::RoutePageCommand (page
// controls). docs/wizard.md describes the contract.
class WizardView : public DialogHost {
public:
    // Frame set-up in OnInit: icon 107, centring, the seven pages created
    // hidden at the placeholder 1007's corner, the heading font on 1021-1027
    // and 1016. DestroyPages undoes it in OnEnd.
    virtual void CreatePages(DialogWindow frame) = 0;
    virtual void DestroyPages() = 0;
    virtual void SetPageVisible(int32_t page, bool visible) = 0;

    virtual void SetText(int32_t controlId, const char16_t* text) = 0;
    virtual void EnableControl(int32_t controlId, bool enabled) = 0;
    virtual bool IsControlEnabled(int32_t controlId) = 0;
    // Moves the keyboard focus the way the dialog manager's own keyboard
    // navigation does (the default button's look follows it).
    virtual void SetFocus(int32_t controlId) = 0;
    // The control with the keyboard focus in the wizard's window; 0 for none
    // and for one that cannot take keys (disabled, or on a hidden page).
    virtual int32_t FocusedControl() = 0;

    // Drop-down list: items keep the order they were added in.
    virtual void ClearCombo(int32_t controlId) = 0;
    virtual void AddComboItem(int32_t controlId, const char16_t* text, intptr_t data) = 0;
    virtual void SetComboSelection(int32_t controlId, int32_t position) = 0;
    // The selected position, -1 for none.
    virtual int32_t ComboSelection(int32_t controlId) = 0;
    // The data of the item at `position`; -1 when there is no such item.
    virtual intptr_t ComboItemData(int32_t controlId, int32_t position) = 0;

    virtual void SetProgressRange(int32_t controlId, int32_t low, int32_t high) = 0;
    virtual void SetProgressPosition(int32_t controlId, int32_t position) = 0;
    virtual int32_t ProgressPosition(int32_t controlId) = 0;

    virtual bool IsChecked(int32_t controlId) = 0;

    // The frame's caption.
    virtual CWStr Caption() = 0;
    virtual void SetCaption(const char16_t* text) = 0;
    // The program's product version (major, minor, patch, build); false when
    // it cannot be read, which leaves the caption as it is.
    virtual bool ProductVersion(int32_t (&parts)[4]) = 0;

    // Ticks arrive as kWmTimer with the id as wParam.
    virtual void StartTimer(uintptr_t timerId, uint32_t intervalMs) = 0;
    virtual void StopTimer(uintptr_t timerId) = 0;

    // Where the worker posts its reports; they must come back to
    // HandleMessage as WM_TRANSFER on this thread, in posting order.
    virtual WindowHandle ReportTarget() = 0;

    // The modal save dialog (see the constants above); false when cancelled.
    virtual bool AskSaveFile(SaveFileRequest& request) = 0;
    // A Yes/No question with the caption kMessageCaption; true for Yes.
    virtual bool AskYesNo(const char16_t* text) = 0;
    // A message with an OK button and the caption kMessageCaption.
    virtual void ShowMessage(const char16_t* text) = 0;
    // The same with a warning icon.
    virtual void ShowWarning(const char16_t* text) = 0;
    // Opens the folder in the desktop's file manager; failures show nothing.
    virtual void OpenFolder(const char16_t* folder) = 0;

protected:
    ~WizardView() = default;
};
