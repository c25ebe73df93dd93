#include "report_pump.h"

#include <windows.h>

namespace {

const wchar_t kClassName[] = L"ZOR7700TransferReports";

HWND createMessageWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);
    // A message-only window: it receives posted reports and is never shown.
    return CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           windowClass.hInstance, nullptr);
}

} // namespace

ReportPump::ReportPump() : state(createMessageWindow()) {}

ReportPump::~ReportPump() {
    if (state != nullptr)
        DestroyWindow(static_cast<HWND>(state));
}

WindowHandle ReportPump::target() const {
    return state;
}

bool ReportPump::next(PostedReport& report, uint32_t timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.hwnd == static_cast<HWND>(state) && message.message == WM_TRANSFER) {
                report = {message.message, message.wParam, message.lParam};
                return true;
            }
            DispatchMessageW(&message);
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    }
}
