// The offline conversion of a full-flash capture (1366 dump lines, 8196
// positions) by the built zor7700-transfer, whole processes timed on the
// wall clock, against GPSBabel's reader of the same dump writing KML: our
// KML time as a share of GPSBabel's, and our NMEA and GPX times as multiples
// of our KML time. Every record has fix value 2, the only one GPSBabel
// keeps, so both programs write every position.
#include "device/track_store.h"
#include "support/simulator_process_posix.h"
#include "support/temp_folder.h"
#include "tools/common/log_encoder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include <time.h>

namespace {

double wallSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// One point every 5 s with a longer stop every 500 points, as a full day's
// logging looks.
std::string fullFlashCapture() {
    std::string dump = dumpStartSentence(TrackStore::kLines);
    std::vector<uint8_t> line(96);
    for (int32_t index = 0; index < TrackStore::kLines; ++index) {
        for (int32_t k = 0; k < TrackStore::kRecordsPerLine; ++k) {
            const int32_t i = index * TrackStore::kRecordsPerLine + k;
            const RawRecord record{
                1600000000u + static_cast<uint32_t>(i) * 5 + static_cast<uint32_t>(i / 500) * 900,
                2, 48.1f + static_cast<float>(i) * 1e-4f, 11.5f - static_cast<float>(i) * 1e-4f,
                static_cast<int16_t>(500 + i % 100)};
            const auto bytes = encodeRecord(record);
            std::copy(bytes.begin(), bytes.end(), line.begin() + 16 * k);
        }
        dump += dumpDataSentence(index, line.data(), 24);
    }
    return dump + dumpEndSentence();
}

// Wall seconds of one whole run of the command; a failed run stops the
// benchmark, since its time would mean nothing.
double timedRun(benchmark::State& state, const std::vector<std::string>& command) {
    std::string output;
    const double start = wallSeconds();
    const int status = runProgram(command, {}, 60000, output);
    const double seconds = wallSeconds() - start;
    if (status != 0)
        state.SkipWithError((command[0] + " failed: " + output).c_str());
    return seconds;
}

void BM_FullCaptureAgainstGpsBabel(benchmark::State& state) {
    TempFolder folder;
    const std::string capture = (folder.path() / "full.raw").string();
    std::ofstream(capture, std::ios::binary) << fullFlashCapture();
    const std::string out = (folder.path() / "out").string();
    const std::string tool = ZOR_TRANSFER_TOOL_PATH;
    double ours[3] = {};
    double gpsbabel = 0;
    for (auto _ : state) {
        ours[0] += timedRun(state, {tool, "--capture", capture, "--kml", out});
        ours[1] += timedRun(state, {tool, "--capture", capture, "--nmea", out});
        ours[2] += timedRun(state, {tool, "--capture", capture, "--gpx", out});
        gpsbabel += timedRun(
            state, {"/usr/bin/gpsbabel", "-i", "mtk_locus", "-f", capture, "-o", "kml", "-F", out});
    }
    state.counters["kml_of_gpsbabel"] = ours[0] / gpsbabel;
    state.counters["nmea_of_kml"] = ours[1] / ours[0];
    state.counters["gpx_of_kml"] = ours[2] / ours[0];
    const double runs = static_cast<double>(state.iterations());
    state.counters["kml_ms"] = 1000.0 * ours[0] / runs;
    state.counters["gpsbabel_ms"] = 1000.0 * gpsbabel / runs;
}

BENCHMARK(BM_FullCaptureAgainstGpsBabel)->Iterations(30)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
