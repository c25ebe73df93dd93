// zor7700-sim: a ZOR 7700 logger or a LOCUS GPS module on a pseudo-terminal,
// for trying the program without a device and as the test bench of the
// transfer.
#include "command_report.h"
#include "log_source.h"
#include "module_flash.h"
#include "paced_line.h"
#include "port_registration.h"
#include "pty_port.h"
#include "sim_device.h"
#include "sim_module.h"
#include "sim_options.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <poll.h>
#include <sys/stat.h>

namespace {

constexpr uint32_t kExclusiveCheckMs = 500;

volatile std::sig_atomic_t stopSignal = 0;
volatile std::sig_atomic_t reportSignal = 0;

void onStop(int) {
    stopSignal = 1;
}
void onReport(int) {
    reportSignal = 1;
}

// The signals stay blocked except inside the wait for the line, which they
// interrupt: nothing can arrive between checking the flags and waiting.
// Returns the mask to wait with.
sigset_t installSignals() {
    struct sigaction action {};
    action.sa_handler = onStop;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    action.sa_handler = onReport;
    sigaction(SIGUSR1, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t handled;
    sigemptyset(&handled);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1})
        sigaddset(&handled, signal);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &handled, &waitMask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1})
        sigdelset(&waitMask, signal);
    return waitMask;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "zor7700-sim: %s\n", message.c_str());
    return 1;
}

void printReport(const CommandReport& report) {
    std::fprintf(stderr, "commands received (ms since start):\n");
    for (const std::string& entry : report.lines())
        std::fprintf(stderr, "  %s\n", entry.c_str());
}

bool registerPort(const SimOptions& options, const std::string& device, int32_t& number,
                  PortRegistration& registration, std::string& error) {
    ComPortRoots roots = ComPortRoots::fromEnvironment();
    number =
        options.portNumber >= 0 ? options.portNumber : PortRegistration::lowestFreeNumber(roots);
    if (number < 0) {
        error = "no free COM number";
        return false;
    }
    std::string claim = PortRegistration::claimOf(number, roots);
    if (!claim.empty()) {
        error = "COM" + std::to_string(number) + " is taken by " + claim;
        return false;
    }
    std::string name = "com" + std::to_string(number);
    if (!registration.addLink(roots.userPortsDir, name, device, error))
        return false;
    if (!options.wine)
        return true;
    std::string dosDevices = wineDosDevices(options.winePrefix);
    struct stat folder {};
    if (stat(dosDevices.c_str(), &folder) != 0) {
        error = "no Wine prefix: " + dosDevices + " is missing (run wineboot first)";
        return false;
    }
    return registration.addLink(dosDevices, name, device, error);
}

void run(PtyPort& port, PacedLine& line, SimFirmware& device, const CommandReport& report,
         const sigset_t& waitMask) {
    auto start = PacedLine::Clock::now();
    uint32_t lastExclusiveCheckMs = 0;
    char buffer[4096];
    auto msSinceStart = [start](PacedLine::Clock::time_point at) {
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(at - start).count());
    };
    while (stopSignal == 0 && !line.hasHungUp()) {
        auto now = PacedLine::Clock::now();
        uint32_t nowMs = msSinceStart(now);
        device.tick(nowMs);
        if (nowMs - lastExclusiveCheckMs >= kExclusiveCheckMs) {
            lastExclusiveCheckMs = nowMs;
            port.clearAbandonedExclusiveUse();
        }
        auto next = line.pump(now);
        if (line.hasHungUp())
            break;
        // Late replies and chatter are checked at least this often.
        auto wait = std::clamp(next - now, PacedLine::Clock::duration::zero(),
                               PacedLine::Clock::duration(std::chrono::milliseconds(10)));
        timespec timeout{0, static_cast<long>(std::chrono::nanoseconds(wait).count())};
        pollfd input{port.fd(), POLLIN, 0};
        if (ppoll(&input, 1, &timeout, &waitMask) > 0 && (input.revents & POLLIN) != 0) {
            // Stamped when read, not when the pass began: the wait and the
            // pump before it would otherwise make a command look earlier.
            device.receive(buffer, port.read(buffer, sizeof buffer),
                           msSinceStart(PacedLine::Clock::now()));
        }
        if (reportSignal != 0) {
            reportSignal = 0;
            printReport(report);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    SimOptions options;
    std::string error;
    if (!parseSimOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "zor7700-sim: %s\nTry zor7700-sim --help.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(simUsage().c_str(), stdout);
        return 0;
    }
    const bool module = options.device == DeviceKind::Locus;
    LogLines memory;
    ModuleMemory moduleMemory;
    CommandReport report(options.reportPath);
    if (!(module ? loadModuleMemory(options, moduleMemory, error)
                 : loadLogMemory(options, memory, error))) {
        return fail(error);
    }
    if (!report.isWritable())
        return fail("cannot write " + options.reportPath);
    sigset_t waitMask = installSignals();
    PtyPort port;
    PortRegistration registration;
    int32_t number = -1;
    if (!port.open(error) ||
        !registerPort(options, port.devicePath(), number, registration, error)) {
        return fail(error);
    }
    std::printf("COM%d %s\n", number, port.devicePath().c_str());
    std::fflush(stdout);
    if (module) {
        std::fprintf(stderr,
                     "LOCUS module simulator (%s, %u baud, content 0x%X) on COM%d (%s), %zu log "
                     "lines; Ctrl+C ends it.\n",
                     options.module.model.c_str(), options.module.baud, options.module.content,
                     number, port.devicePath().c_str(), moduleMemory.lines.size());
    } else {
        std::fprintf(stderr, "ZOR 7700 simulator on COM%d (%s), %zu log lines; Ctrl+C ends it.\n",
                     number, port.devicePath().c_str(), memory.size());
    }

    PacedLine line(port, options.fast);
    std::unique_ptr<SimFirmware> device;
    if (module)
        device = std::make_unique<SimModule>(options, std::move(moduleMemory), line, report);
    else
        device = std::make_unique<SimDevice>(options, std::move(memory), line, report);
    run(port, line, *device, report, waitMask);
    registration.remove();
    printReport(report);
    return 0;
}
