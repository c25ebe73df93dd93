#include "app/dialog_base.h"

intptr_t CTDlg::HandleMessage(DialogWindow window, uint32_t message, uintptr_t wParam,
                              intptr_t lParam) {
    // Bound first, so the hook and every handler can use the window.
    if (message == kWmInitDialog) {
        hwnd = window;
    }
    if (PreHandleMessage(message, wParam, lParam)) {
        return 1;
    }
    switch (message) {
    case kWmInitDialog:
        return OnInit() ? 1 : 0;
    case kWmCommand: {
        const uint16_t code = notifyCode(wParam);
        if (OnCommand(lParam, wParam, code)) {
            return 1;
        }
        const uint16_t id = commandId(wParam);
        if (code == 0 && (id == kIdOk || id == kIdCancel)) {
            EndWith(id);
            return 1;
        }
        return 0;
    }
    case kWmTimer:
        return OnTimer(wParam) ? 1 : 0;
    default:
        return 0;
    }
}

bool CTDlg::OnInit() {
    return true;
}

void CTDlg::OnEnd(intptr_t) {}

bool CTDlg::OnTimer(uintptr_t) {
    return false;
}

bool CTDlg::OnCommand(intptr_t, uintptr_t, uint16_t) {
    return false;
}

bool CTDlg::PreHandleMessage(uint32_t, uintptr_t, intptr_t) {
    return false;
}

CTDlg::~CTDlg() = default;

intptr_t CTDlg::RunModal() {
    return host.RunModal(*this);
}

intptr_t CTDlg::RoutePageCommand(CTDlg* owner, uintptr_t wParam, intptr_t lParam) {
    if (owner == nullptr) {
        return 1;
    }
    return owner->OnCommand(lParam, wParam, notifyCode(wParam)) ? 1 : 0;
}

void CTDlg::EndWith(intptr_t endCode) {
    OnEnd(endCode);
    host.EndDialog(hwnd, endCode);
}
