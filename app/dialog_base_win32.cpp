#include "app/dialog_base_win32.h"

HINSTANCE programInstance = nullptr;

CTDlg* dialogOf(HWND window) {
    return reinterpret_cast<CTDlg*>(GetWindowLongPtrW(window, DWLP_USER));
}

INT_PTR CALLBACK ModalDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // An exception must not unwind through the system's message dispatch; the
    // message then counts as not handled.
    try {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(window, DWLP_USER, lParam);
        }
        CTDlg* dialog = dialogOf(window);
        if (dialog == nullptr) {
            return FALSE;
        }
        return dialog->HandleMessage(window, message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR CALLBACK PageDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            return TRUE;
        case WM_COMMAND:
            return CTDlg::RoutePageCommand(dialogOf(window), wParam, lParam);
        default:
            return FALSE;
        }
    } catch (...) {
        return FALSE;
    }
}

void CenterOverOwner(HWND dialog, HWND owner) {
    HWND reference = owner != nullptr ? owner : GetDesktopWindow();
    RECT frame{};
    GetWindowRect(dialog, &frame);
    RECT area{};
    GetClientRect(reference, &area);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    POINT corner{(area.right - width) / 2, (area.bottom - height) / 2};
    ClientToScreen(reference, &corner);
    MoveWindow(dialog, corner.x, corner.y, width, height, TRUE);
}

intptr_t runModalDialog(CTDlg& dialog) {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialog.templateId),
                           static_cast<HWND>(dialog.owner), ModalDlgProc,
                           reinterpret_cast<LPARAM>(&dialog));
}
