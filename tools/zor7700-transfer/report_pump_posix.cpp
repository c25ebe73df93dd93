#include "report_pump.h"

ReportPump::ReportPump() : state(new ReportQueue) {}

ReportPump::~ReportPump() {
    delete static_cast<ReportQueue*>(state);
}

WindowHandle ReportPump::target() const {
    return state;
}

bool ReportPump::next(PostedReport& report, uint32_t timeoutMs) {
    return static_cast<ReportQueue*>(state)->waitTake(report, timeoutMs);
}
