#include "report_pump.h"

#include "device/report_window_win32.h"

#include <windows.h>

ReportPump::ReportPump() : state(createReportWindow()) {}

ReportPump::~ReportPump() {
    destroyReportWindow(state);
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
