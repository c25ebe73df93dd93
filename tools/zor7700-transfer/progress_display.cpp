#include "progress_display.h"

#include <algorithm>
#include <string>

namespace {

constexpr int32_t kBarWidth = 40;

} // namespace

void ProgressDisplay::deviceFound(int32_t portNumber) {
    std::fprintf(out, "ZOR 7700 found on COM%d, reading the log.\n", portNumber);
    std::fflush(out);
}

void ProgressDisplay::progress(int32_t percent) {
    percent = std::clamp(percent, 0, 100);
    if (!terminal) {
        std::fprintf(out, "progress %d%%\n", percent);
        std::fflush(out);
        return;
    }
    int32_t filled = percent * kBarWidth / 100;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.resize(kBarWidth, '.');
    std::fprintf(out, "\r[%s] %3d%%", bar.c_str(), percent);
    std::fflush(out);
    barShown = true;
}

void ProgressDisplay::erasePending(int32_t seconds) {
    finish();
    std::fprintf(out, "Erasing the logger's memory in %d s; Ctrl+C keeps it.\n", seconds);
    std::fflush(out);
}

void ProgressDisplay::finish() {
    if (barShown)
        std::fputc('\n', out);
    barShown = false;
    std::fflush(out);
}
