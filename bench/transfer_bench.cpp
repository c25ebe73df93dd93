// A whole transfer of a full log (1366 dump lines) from zor7700-sim: how the
// paced transfer's wall time compares with the wire time at 57600 baud, what
// the worker costs in CPU while it dumps and while it waits for the
// go-ahead, and how long an unpaced transfer takes; and a LOCUS module found
// at 9600 baud, whose log the worker reads at 115200: its wall time against
// the wire time at 115200, the search apart.
#include "device/transfer_worker.h"

#include "device/report_queue.h"
#include "device/worker_platform.h"
#include "support/simulator_process_posix.h"
#include "support/output_file.h"
#include "support/wide_text.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <time.h>

namespace {

constexpr double kWireBytesPerSecond = 5760.0; // 57600 baud, 10 bits a byte
constexpr uint32_t kWaitMeasureMs = 3000;

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double wallSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Measured {
    bool complete = false;
    double waitCpuPerSecond = 0; // CPU seconds per second of waiting
    double dumpWall = 0;         // from the go-ahead to the final report
    double dumpCpu = 0;
    uint64_t dumpBytes = 0;
    double wholeWall = 0;  // from the start to the final report
    double searchWall = 0; // from the start to the device-found report
};

// One run against a fresh simulator started with `arguments`; waits
// `waitMs` at the go-ahead.
Measured transferOnce(std::vector<std::string> arguments, uint32_t waitMs,
                      DeviceChoice choice = DeviceChoice::Auto) {
    Measured measured;
    SimulatorProcess simulator;
    std::string error;
    arguments.insert(arguments.end(), {"--generate", "8196", "--no-chatter"});
    if (!simulator.start(arguments, error))
        return measured;
    setenv("XDG_CONFIG_HOME", simulator.configHome().c_str(), 1);

    ReportQueue reports;
    TransferWorker worker;
    worker.search.choice = choice;
    // What the worker read during the dump: the bytes on the wire.
    const std::string rawPath = simulator.folder() + "/raw";
    OutputFile raw;
    if (!raw.create(widePath(rawPath)))
        return measured;
    double start = wallSeconds();
    if (!worker.startTransfer(simulator.portNumber(), &reports))
        return measured;
    PostedReport report{};
    while (reports.waitTake(report, 120000)) {
        if (report.wParam == kReportDeviceFound) {
            measured.searchWall = wallSeconds() - start;
            double cpuBefore = processCpuSeconds();
            sleepMs(waitMs);
            if (waitMs > 0)
                measured.waitCpuPerSecond =
                    (processCpuSeconds() - cpuBefore) / (static_cast<double>(waitMs) / 1000.0);
            std::string path = simulator.folder() + "/t.kml";
            worker.outputPath = widePath(path);
            worker.rawDumpSink = &raw;
            measured.dumpCpu = processCpuSeconds();
            measured.dumpWall = wallSeconds();
            worker.proceed();
        }
        if (isFinalReport(report.wParam))
            break;
    }
    double end = wallSeconds();
    measured.complete = report.wParam == kReportComplete;
    measured.dumpCpu = processCpuSeconds() - measured.dumpCpu;
    measured.dumpWall = end - measured.dumpWall;
    measured.wholeWall = end - start;
    std::error_code ignored;
    measured.dumpBytes = std::filesystem::file_size(rawPath, ignored);
    worker.joinTransfer();
    return measured;
}

void BM_PacedFullLog(benchmark::State& state) {
    for (auto _ : state) {
        Measured m = transferOnce({}, kWaitMeasureMs);
        if (!m.complete) {
            state.SkipWithError("the transfer did not complete");
            return;
        }
        double wire = static_cast<double>(m.dumpBytes) / kWireBytesPerSecond;
        state.SetIterationTime(m.dumpWall);
        state.counters["dump_bytes"] = static_cast<double>(m.dumpBytes);
        state.counters["wire_s"] = wire;
        state.counters["wall_s"] = m.dumpWall;
        state.counters["wall_over_wire_pct"] = 100.0 * (m.dumpWall - wire) / wire;
        state.counters["dump_cpu_ms"] = m.dumpCpu * 1000.0;
        state.counters["dump_cpu_pct"] = 100.0 * m.dumpCpu / m.dumpWall;
        state.counters["wait_cpu_ms_per_s"] = m.waitCpuPerSecond * 1000.0;
    }
}
BENCHMARK(BM_PacedFullLog)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_UnpacedFullLog(benchmark::State& state) {
    for (auto _ : state) {
        Measured m = transferOnce({"--fast"}, 0);
        if (!m.complete) {
            state.SkipWithError("the transfer did not complete");
            return;
        }
        state.SetIterationTime(m.wholeWall);
        state.counters["dump_bytes"] = static_cast<double>(m.dumpBytes);
        state.counters["dump_s"] = m.dumpWall;
        state.counters["dump_cpu_ms"] = m.dumpCpu * 1000.0;
    }
}
BENCHMARK(BM_UnpacedFullLog)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// The module paces itself at the rate it is set to; the dump's wall time
// counts from the go-ahead (the switch to 115200 included) to the final
// report (the rate set back included).
void BM_ModuleAt9600FullLog(benchmark::State& state) {
    constexpr double kFastWireBytesPerSecond = 11520.0; // 115200 baud
    for (auto _ : state) {
        Measured m = transferOnce({"--device", "locus", "--baud", "9600"}, 0, DeviceChoice::Module);
        if (!m.complete) {
            state.SkipWithError("the transfer did not complete");
            return;
        }
        const double wire = static_cast<double>(m.dumpBytes) / kFastWireBytesPerSecond;
        state.SetIterationTime(m.wholeWall);
        state.counters["dump_bytes"] = static_cast<double>(m.dumpBytes);
        state.counters["wire_115200_s"] = wire;
        state.counters["dump_s"] = m.dumpWall;
        state.counters["dump_over_wire"] = m.dumpWall / wire;
        state.counters["search_s"] = m.searchWall;
    }
}
BENCHMARK(BM_ModuleAt9600FullLog)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
