#include "progress_display.h"

#include "console.h"

#include "device/transfer_texts.h"
#include "support/utf8_text.h"

#include <algorithm>
#include <string>

namespace {

constexpr int32_t kBarWidth = 40;
// When the width is not known, the classic terminal's.
constexpr int32_t kDefaultColumns = 80;
// "[", "] " and " 42%" around the bar.
constexpr int32_t kBarFrame = 7;

// Characters of bar that fit the terminal: the line stays short of the last
// column, where some terminals wrap at once and would scroll on every redraw.
int32_t barWidthFor(int32_t columns) {
    if (columns <= 0)
        columns = kDefaultColumns;
    return std::min(kBarWidth, columns - 1 - kBarFrame);
}

} // namespace

void ProgressDisplay::deviceFound(int32_t portNumber, const FoundDevice& device) {
    if (device.family == DeviceFamily::Zor7700) {
        std::fprintf(out, "ZOR 7700 found on COM%d, reading the log.\n", portNumber);
    } else {
        std::fprintf(out, "%s LOCUS logger found on COM%d at %u baud, reading the log.\n%s\n",
                     device.model.c_str(), portNumber, static_cast<unsigned>(device.lineRate),
                     utf8FromUtf16(DeviceStatusText(device).c_str()).c_str());
    }
    std::fflush(out);
}

void ProgressDisplay::progress(int32_t percent) {
    percent = std::clamp(percent, 0, 100);
    if (!terminal) {
        std::fprintf(out, "progress %d%%\n", percent);
        std::fflush(out);
        return;
    }
    const int32_t width = barWidthFor(terminalColumns());
    // Too narrow for any bar: the percentage alone still tells how far it is.
    if (width < 1) {
        std::fprintf(out, "\r%3d%%", percent);
    } else {
        std::string bar(static_cast<size_t>(percent * width / 100), '#');
        bar.resize(static_cast<size_t>(width), '.');
        std::fprintf(out, "\r[%s] %3d%%", bar.c_str(), percent);
    }
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
