#include "support/report_capture.h"

#include "device/report_window_win32.h"

#include <windows.h>

struct ReportCapture::Target {
    HWND window;
};

ReportCapture::ReportCapture()
    : impl(std::make_unique<Target>(Target{static_cast<HWND>(createReportWindow())})) {}

ReportCapture::~ReportCapture() {
    destroyReportWindow(impl->window);
}

WindowHandle ReportCapture::target() const {
    return impl->window;
}

std::vector<PostedReport> ReportCapture::drain() {
    std::vector<PostedReport> reports;
    MSG msg;
    while (PeekMessageW(&msg, impl->window, 0, 0, PM_REMOVE))
        reports.push_back({msg.message, msg.wParam, msg.lParam});
    return reports;
}

bool ReportCapture::waitNext(PostedReport& report, uint32_t timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    MSG msg;
    while (!PeekMessageW(&msg, impl->window, 0, 0, PM_REMOVE)) {
        const ULONGLONG elapsed = GetTickCount64() - start;
        if (elapsed >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(timeoutMs - elapsed),
                                  QS_POSTMESSAGE);
    }
    report = {msg.message, msg.wParam, msg.lParam};
    return true;
}
