#include "device/report_window_win32.h"

#include <windows.h>

namespace {

const wchar_t kWindowClass[] = L"ZOR7700TrackReports";

} // namespace

WindowHandle createReportWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    // A second window finds the class already registered, which is fine.
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           windowClass.hInstance, nullptr);
}

void destroyReportWindow(WindowHandle window) {
    if (window != nullptr)
        DestroyWindow(static_cast<HWND>(window));
}
