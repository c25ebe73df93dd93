// Records per second and write calls per record of the three track writers
// on a full store: into a counting sink (the writers alone) and into a real
// file.
#include "output/gpx_writer.h"
#include "output/kml_writer.h"
#include "output/nmea_writer.h"
#include "support/output_file.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

class CountingSink final : public ByteSink {
public:
    bool write(const void* data, uint32_t size) override {
        benchmark::DoNotOptimize(data);
        ++calls;
        bytes += size;
        return true;
    }
    uint64_t calls = 0;
    uint64_t bytes = 0;
};

// Every slot usable, one point every 5 s with a longer stop every 500 points,
// so the KML has segments; the ring starts in the middle as after a wrap.
const TrackStore& fullStore() {
    static const TrackStore store = [] {
        TrackStore s;
        s.clear();
        for (int32_t i = 0; i < TrackStore::kSlots; ++i) {
            const int32_t slot = (i + 4000) % TrackStore::kSlots;
            s.records[static_cast<size_t>(slot)] = LogRecord{
                1600000000u + static_cast<uint32_t>(i) * 5 + static_cast<uint32_t>(i / 500) * 900,
                48.1f + static_cast<float>(i) * 1e-4f, 11.5f - static_cast<float>(i) * 1e-4f,
                static_cast<int16_t>(500 + i % 100), 3};
        }
        s.startIndex = 4000;
        return s;
    }();
    return store;
}

using TrackWriter = bool (*)(const TrackStore&, ByteSink&);

void reportPerRecord(benchmark::State& state, uint64_t calls, uint64_t bytes) {
    const double records = static_cast<double>(TrackStore::kSlots);
    state.SetItemsProcessed(state.iterations() * TrackStore::kSlots);
    state.counters["writes_per_record"] = static_cast<double>(calls) / records;
    state.counters["bytes_per_file"] = static_cast<double>(bytes);
}

void writerToMemory(benchmark::State& state, TrackWriter writeTrack) {
    CountingSink sink;
    for (auto _ : state) {
        sink = CountingSink();
        if (!writeTrack(fullStore(), sink)) {
            state.SkipWithError("the writer failed");
            return;
        }
    }
    reportPerRecord(state, sink.calls, sink.bytes);
}

// Create, write and close per iteration; the flush to disk of commit() is left
// out, it measures the disk rather than the writer.
void writerToFile(benchmark::State& state, TrackWriter writeTrack) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "zor-track-writers-bench.out";
    const CWStr target(path.u16string().c_str());
    CountingSink counted;
    writeTrack(fullStore(), counted);
    for (auto _ : state) {
        OutputFile file;
        if (!file.create(target) || !writeTrack(fullStore(), file)) {
            state.SkipWithError("the output file failed");
            return;
        }
        file.close();
    }
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    reportPerRecord(state, counted.calls, counted.bytes);
}

BENCHMARK_CAPTURE(writerToMemory, kml, writeKmlTrack)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(writerToMemory, nmea, writeNmeaTrack)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(writerToMemory, gpx, writeGpxTrack)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(writerToFile, kml, writeKmlTrack)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(writerToFile, nmea, writeNmeaTrack)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(writerToFile, gpx, writeGpxTrack)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
