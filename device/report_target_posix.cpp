#include "device/report_queue.h"
#include "device/report_target.h"

// Without window messages the target is the user-interface thread's queue.
bool postReport(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (window == nullptr)
        return false;
    static_cast<ReportQueue*>(window)->post({message, wParam, lParam});
    return true;
}
