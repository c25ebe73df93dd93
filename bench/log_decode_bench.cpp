// Throughput of the receive path for a whole log: every byte of a full
// 1366-line dump through the dump decoder.
#include "device/dump_decoder.h"
#include "tools/common/log_encoder.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string fullDump() {
    std::string dump = dumpStartSentence(TrackStore::kLines);
    std::vector<uint8_t> line(96);
    uint32_t time = 1600000000u;
    for (int32_t index = 0; index < TrackStore::kLines; ++index) {
        for (int32_t k = 0; k < TrackStore::kRecordsPerLine; ++k, time += 5) {
            const float step = static_cast<float>(index * 6 + k) * 0.0001f;
            const auto record = encodeRecord({time, 3, 48.5f + step, 11.25f - step, 520});
            std::copy(record.begin(), record.end(), line.begin() + 16 * k);
        }
        dump += dumpDataSentence(index, line.data(), 24);
    }
    return dump + dumpEndSentence();
}

void BM_DecodeFullDump(benchmark::State& state) {
    const std::string dump = fullDump();
    auto store = std::make_unique<TrackStore>();
    store->clear();
    const auto* bytes = reinterpret_cast<const uint8_t*>(dump.data());
    const auto size = static_cast<uint32_t>(dump.size());
    for (auto _ : state) {
        SentenceAssembler assembler;
        DumpDecoder decoder(assembler, *store);
        bool ended = false;
        for (uint32_t used = 0; used < size && !ended;) {
            const DumpStep step = decoder.feed(bytes + used, size - used);
            used += step.consumed;
            ended = step.ended;
        }
        benchmark::DoNotOptimize(ended);
        benchmark::DoNotOptimize(store->startIndex);
    }
    if (store->startIndex != 0)
        state.SkipWithError("the dump did not decode");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(dump.size()));
    state.counters["dump_bytes"] = static_cast<double>(dump.size());
    state.counters["records/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * TrackStore::kSlots, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeFullDump)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
