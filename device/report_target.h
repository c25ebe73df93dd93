#pragma once

#include <cstdint>

// Where the worker's reports go. On Windows a window handle that receives
// posted messages; elsewhere a ReportQueue that the user-interface thread
// drains in posting order. Portable code only passes it along.
using WindowHandle = void*;

// The worker's report message and its wParam codes.
constexpr uint32_t WM_TRANSFER = 0x8000 + 1; // WM_APP + 1
enum TransferReport : uintptr_t {
    kReportComplete = 0,
    kReportFailed = 1,
    kReportDeviceFound = 3,
    kReportProgress = 4,
    // The pause before the erase command has begun (lParam: its length in
    // ms); a stop now keeps the device's memory. The wizard ignores it.
    kReportErasePending = 5,
};

// A run's last word: nothing of that run follows it.
constexpr bool isFinalReport(uintptr_t report) {
    return report == kReportComplete || report == kReportFailed;
}

// The lParam of kReportComplete.
enum CompletionDetail : intptr_t {
    kCompleteMemoryKept = 0,
    kCompleteMemoryErased = 1,
    // The file holds what arrived of an incomplete dump; the memory was kept.
    kCompleteFromIncompleteDump = 2,
    // The erase was sent, but the module did not confirm it.
    kCompleteEraseUnconfirmed = 3,
};

// Queues one report for the window's thread and returns at once; a report
// that cannot be posted is lost.
bool postReport(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
