#include "support/report_capture.h"

struct ReportCapture::Target {
    ReportQueue queue;
};

ReportCapture::ReportCapture() : impl(std::make_unique<Target>()) {}

ReportCapture::~ReportCapture() = default;

WindowHandle ReportCapture::target() const {
    return &impl->queue;
}

std::vector<PostedReport> ReportCapture::drain() {
    std::vector<PostedReport> reports;
    PostedReport report;
    while (impl->queue.tryTake(report))
        reports.push_back(report);
    return reports;
}

bool ReportCapture::waitNext(PostedReport& report, uint32_t timeoutMs) {
    return impl->queue.waitTake(report, timeoutMs);
}
