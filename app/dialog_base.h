#pragma once

#include "support/non_copyable.h"

#include <cstdint>

// Window handle as the dialog code passes it around: an HWND on Windows, the
// frame widget in the Qt front end, anything unique in tests.
using DialogWindow = void*;

// Window message values the dialog logic understands. They carry Win32's
// numbers so the Win32 front end forwards its messages unchanged and every
// other front end speaks the same language. The names differ from <windows.h>
// so both can be included together.
constexpr uint32_t kWmInitDialog = 0x0110;
constexpr uint32_t kWmCommand = 0x0111;
constexpr uint32_t kWmSysCommand = 0x0112;
constexpr uint32_t kWmTimer = 0x0113;
constexpr uintptr_t kScClose = 0xF060;
constexpr uint16_t kIdOk = 1;
constexpr uint16_t kIdCancel = 2;
// Notification codes in the high word of a kWmCommand wParam.
constexpr uint16_t kBnClicked = 0;
constexpr uint16_t kCbnSelChange = 1;

// The two halves of a kWmCommand wParam, as LOWORD and HIWORD take them apart.
constexpr uint16_t commandId(uintptr_t wParam) {
    return static_cast<uint16_t>(wParam & 0xFFFF);
}
constexpr uint16_t notifyCode(uintptr_t wParam) {
    return static_cast<uint16_t>((wParam >> 16) & 0xFFFF);
}
constexpr uintptr_t makeCommandParam(uint16_t id, uint16_t code) {
    return static_cast<uintptr_t>(id) | (static_cast<uintptr_t>(code) << 16);
}

class CTDlg;

// The toolkit's half of a modal dialog. The Win32 front end implements it with
// DialogBoxParamW/EndDialog (app/dialog_base_win32.cpp), the Qt front end with
// a QDialog (app/dialog_base_qt.cpp), the tests with a fake.
class DialogHost {
public:
    // Creates the dialog window of `dialog.templateId`, hands every message of
    // it to dialog.HandleMessage (kWmInitDialog first) and returns the code
    // given to EndDialog once the dialog has ended.
    virtual intptr_t RunModal(CTDlg& dialog) = 0;
    // Ends the modal run; RunModal then returns `endCode`.
    virtual void EndDialog(DialogWindow window, intptr_t endCode) = 0;

protected:
    ~DialogHost() = default;
};

// Base of a modal dialog: routes the dialog's messages to overridable
// handlers, ends it on an unhandled OK or Cancel, runs it modally.
class CTDlg : NonCopyable {
public:
    // The dispatcher: hook first, then init, command (with the OK/Cancel
    // default), timer. Returns the dialog procedure's TRUE (1) or FALSE (0).
    virtual intptr_t HandleMessage(DialogWindow window, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam);
    // False means the handler has placed the focus itself.
    virtual bool OnInit();
    // Runs before the dialog is ended with the same code.
    virtual void OnEnd(intptr_t endCode);
    virtual bool OnTimer(uintptr_t timerId);
    virtual bool OnCommand(intptr_t control, uintptr_t wParam, uint16_t code);
    // Sees every message before its handler; true suppresses the handler.
    virtual bool PreHandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    virtual ~CTDlg();
    virtual intptr_t RunModal();

    // What a page's dialog procedure does with a kWmCommand: straight to the
    // owner's OnCommand, past the hook and the OK/Cancel default. Returns 1 if
    // handled, else 0; a page without an owner reports 1.
    static intptr_t RoutePageCommand(CTDlg* owner, uintptr_t wParam, intptr_t lParam);

    int32_t templateId = 0;
    DialogWindow owner = nullptr;
    // Set at kWmInitDialog and kept after the end.
    DialogWindow hwnd = nullptr;

protected:
    explicit CTDlg(DialogHost& host) : host(host) {}
    // Ends the dialog the way every ending of this family goes: OnEnd, then
    // the host's EndDialog, with the same code.
    void EndWith(intptr_t endCode);

    DialogHost& host;
};
