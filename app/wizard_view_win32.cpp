#include "app/wizard_view_win32.h"

#include "app/dialog_base_win32.h"
#include "resources/resource_ids.h"

#include <memory>

#include <commctrl.h>
#include <commdlg.h>
#include <oleacc.h>
#include <shellapi.h>

namespace {

const wchar_t* wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

// The larger plain font of the page headings and the error text.
HFONT createHeadingFont() {
    LOGFONTW font{};
    font.lfHeight = 20;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = ANSI_CHARSET;
    font.lfPitchAndFamily = FF_SWISS | DEFAULT_PITCH;
    lstrcpynW(font.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

// Top-left corner of the hidden placeholder, in the frame's client coordinates.
POINT pageOrigin(HWND frame) {
    RECT placeholder{};
    GetWindowRect(GetDlgItem(frame, IDC_PAGE_PLACEHOLDER), &placeholder);
    POINT origin{placeholder.left, placeholder.top};
    ScreenToClient(frame, &origin);
    return origin;
}

// Copies `text` with its terminator to `at`; returns the position after it.
wchar_t* appendWithTerminator(wchar_t* at, const char16_t* text) {
    do {
        *at++ = static_cast<wchar_t>(*text);
    } while (*text++ != 0);
    return at;
}

} // namespace

Win32WizardView::~Win32WizardView() {
    if (icon != nullptr) {
        DestroyIcon(icon);
    }
}

intptr_t Win32WizardView::RunModal(CTDlg& dialog) {
    return runModalDialog(dialog);
}

void Win32WizardView::EndDialog(DialogWindow window, intptr_t endCode) {
    ::EndDialog(static_cast<HWND>(window), endCode);
}

void Win32WizardView::CreatePages(DialogWindow frameWindow) {
    frame = static_cast<HWND>(frameWindow);
    CTDlg* wizard = dialogOf(frame);
    SetFrameIcon();
    CenterOverOwner(frame, static_cast<HWND>(wizard->owner));
    const POINT origin = pageOrigin(frame);
    for (int32_t page = 0; page < kPageCount; ++page) {
        pages[page] = CreateDialogParamW(programInstance, MAKEINTRESOURCEW(kPageTemplates[page]),
                                         frame, PageDlgProc, reinterpret_cast<LPARAM>(wizard));
        SetWindowPos(pages[page], nullptr, origin.x, origin.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW);
    }
    headingFont = createHeadingFont();
    for (int32_t page = 0; page < kPageCount; ++page) {
        Send(IDC_HEADING_FIRST + page, WM_SETFONT, reinterpret_cast<WPARAM>(headingFont), TRUE);
    }
    Send(IDC_ERROR_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(headingFont), TRUE);
    NameControls();
}

void Win32WizardView::NameControls() {
    // A list, a field without a label of its own, "..." and a progress bar
    // say nothing useful by themselves; the names are annotations the
    // system's accessibility layer hands to a screen reader. Without COM or
    // the service the wizard works as before, unnamed.
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&accessibility)))) {
        accessibility = nullptr;
        return;
    }
    for (const AccessibleName& entry : kAccessibleNames) {
        accessibility->SetHwndPropStr(Control(entry.controlId), static_cast<DWORD>(OBJID_CLIENT),
                                      CHILDID_SELF, PROPID_ACC_NAME, wide(entry.name));
    }
}

void Win32WizardView::ClearControlNames() {
    if (accessibility == nullptr) {
        return;
    }
    // The annotations live outside the windows; left behind they would
    // outlast the controls.
    MSAAPROPID name = PROPID_ACC_NAME;
    for (const AccessibleName& entry : kAccessibleNames) {
        accessibility->ClearHwndProps(Control(entry.controlId), static_cast<DWORD>(OBJID_CLIENT),
                                      CHILDID_SELF, &name, 1);
    }
    accessibility->Release();
    accessibility = nullptr;
}

void Win32WizardView::SetFrameIcon() {
    icon = static_cast<HICON>(LoadImageW(programInstance, MAKEINTRESOURCEW(IDI_MAIN_ICON),
                                         IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    if (icon != nullptr) {
        SendMessageW(frame, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        SendMessageW(frame, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }
}

void Win32WizardView::DestroyPages() {
    ClearControlNames();
    for (HWND& page : pages) {
        if (page != nullptr) {
            DestroyWindow(page);
            page = nullptr;
        }
    }
    if (headingFont != nullptr) {
        DeleteObject(headingFont);
        headingFont = nullptr;
    }
}

void Win32WizardView::SetPageVisible(int32_t page, bool visible) {
    ShowWindow(pages[page], visible ? SW_SHOW : SW_HIDE);
}

HWND Win32WizardView::Control(int32_t controlId) const {
    if (HWND control = GetDlgItem(frame, controlId)) {
        return control;
    }
    for (HWND page : pages) {
        if (HWND control = page != nullptr ? GetDlgItem(page, controlId) : nullptr) {
            return control;
        }
    }
    return nullptr;
}

LRESULT Win32WizardView::Send(int32_t controlId, UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendMessageW(Control(controlId), message, wParam, lParam);
}

void Win32WizardView::SetText(int32_t controlId, const char16_t* text) {
    SetWindowTextW(Control(controlId), wide(text));
}

void Win32WizardView::EnableControl(int32_t controlId, bool enabled) {
    EnableWindow(Control(controlId), enabled ? TRUE : FALSE);
}

bool Win32WizardView::IsControlEnabled(int32_t controlId) {
    return IsWindowEnabled(Control(controlId)) != FALSE;
}

void Win32WizardView::SetFocus(int32_t controlId) {
    // Through the dialog manager rather than SetFocus, so the default button
    // follows the focus as it does with Tab: Enter then presses a focused
    // button, and Next again once the focus is elsewhere.
    SendMessageW(frame, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(controlId)), TRUE);
}

int32_t Win32WizardView::FocusedControl() {
    // IsChild is false for no window and for the frame itself.
    HWND focused = GetFocus();
    if (!IsChild(frame, focused) || !IsWindowEnabled(focused) || !IsWindowVisible(focused)) {
        return 0;
    }
    return GetDlgCtrlID(focused);
}

void Win32WizardView::ClearCombo(int32_t controlId) {
    Send(controlId, CB_RESETCONTENT, 0, 0);
}

void Win32WizardView::AddComboItem(int32_t controlId, const char16_t* text, intptr_t data) {
    const LRESULT position = Send(controlId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(text)));
    if (position >= 0) {
        Send(controlId, CB_SETITEMDATA, static_cast<WPARAM>(position), data);
    }
}

void Win32WizardView::SetComboSelection(int32_t controlId, int32_t position) {
    Send(controlId, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
}

int32_t Win32WizardView::ComboSelection(int32_t controlId) {
    const LRESULT position = Send(controlId, CB_GETCURSEL, 0, 0);
    return position == CB_ERR ? -1 : static_cast<int32_t>(position);
}

intptr_t Win32WizardView::ComboItemData(int32_t controlId, int32_t position) {
    const LRESULT data = Send(controlId, CB_GETITEMDATA, static_cast<WPARAM>(position), 0);
    return data == CB_ERR ? -1 : data;
}

void Win32WizardView::SetProgressRange(int32_t controlId, int32_t low, int32_t high) {
    Send(controlId, PBM_SETRANGE, 0, MAKELPARAM(low, high));
}

void Win32WizardView::SetProgressPosition(int32_t controlId, int32_t position) {
    Send(controlId, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

int32_t Win32WizardView::ProgressPosition(int32_t controlId) {
    return static_cast<int32_t>(Send(controlId, PBM_GETPOS, 0, 0));
}

bool Win32WizardView::IsChecked(int32_t controlId) {
    return Send(controlId, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

CWStr Win32WizardView::Caption() {
    // A short caption buffer: the version suffix is appended to at most 31
    // characters of the template's caption.
    wchar_t caption[32] = {};
    GetWindowTextW(frame, caption, 32);
    return CWStr(reinterpret_cast<const char16_t*>(caption));
}

void Win32WizardView::SetCaption(const char16_t* text) {
    SetWindowTextW(frame, wide(text));
}

bool Win32WizardView::ProductVersion(int32_t (&parts)[4]) {
    wchar_t programPath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, programPath, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(programPath, &ignored);
    if (size == 0) {
        return false;
    }
    std::unique_ptr<BYTE[]> block(new BYTE[size]);
    if (!GetFileVersionInfoW(programPath, 0, size, block.get())) {
        return false;
    }
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!VerQueryValueW(block.get(), L"\\", reinterpret_cast<void**>(&info), &infoSize) ||
        info == nullptr) {
        return false;
    }
    parts[0] = HIWORD(info->dwProductVersionMS);
    parts[1] = LOWORD(info->dwProductVersionMS);
    parts[2] = HIWORD(info->dwProductVersionLS);
    parts[3] = LOWORD(info->dwProductVersionLS);
    return true;
}

void Win32WizardView::StartTimer(uintptr_t timerId, uint32_t intervalMs) {
    SetTimer(frame, timerId, intervalMs, nullptr);
}

void Win32WizardView::StopTimer(uintptr_t timerId) {
    KillTimer(frame, timerId);
}

bool Win32WizardView::AskSaveFile(SaveFileRequest& request) {
    wchar_t file[MAX_PATH] = {};
    if (!request.path.IsEmpty()) {
        lstrcpynW(file, wide(request.path), MAX_PATH);
    }
    // Pairs of name and pattern, each NUL-terminated, the list closed by one more NUL.
    std::array<wchar_t, 96> filter{};
    wchar_t* end = filter.data();
    for (const SaveFileType& type : kSaveFileTypes) {
        end = appendWithTerminator(appendWithTerminator(end, type.name), type.pattern);
    }
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = frame;
    dialog.lpstrFilter = filter.data();
    dialog.nFilterIndex = static_cast<DWORD>(filterIndexOf(request.format));
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = request.path.IsEmpty() ? wide(request.initialFolder) : nullptr;
    // With a default suffix set, the dialog gives a bare name the suffix of
    // the type picked (the pattern's), and keeps a name typed with one.
    dialog.lpstrDefExt = wide(kDefaultSuffix);
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_NOREADONLYRETURN;
    if (!GetSaveFileNameW(&dialog)) {
        return false;
    }
    request.format = formatOfFilterIndex(static_cast<int32_t>(dialog.nFilterIndex));
    request.path = CWStr(reinterpret_cast<const char16_t*>(file));
    return true;
}

bool Win32WizardView::AskYesNo(const char16_t* text) {
    return MessageBoxW(frame, wide(text), wide(kMessageCaption), MB_YESNO) == IDYES;
}

void Win32WizardView::ShowMessage(const char16_t* text) {
    MessageBoxW(frame, wide(text), wide(kMessageCaption), MB_OK);
}

void Win32WizardView::ShowWarning(const char16_t* text) {
    MessageBoxW(frame, wide(text), wide(kMessageCaption), MB_OK | MB_ICONWARNING);
}

void Win32WizardView::OpenFolder(const char16_t* folder) {
    ShellExecuteW(frame, nullptr, wide(folder), nullptr, nullptr, SW_SHOWNORMAL);
}
