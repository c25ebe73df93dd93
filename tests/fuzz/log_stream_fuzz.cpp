// Random device bytes through sentence assembly and the log-dump handler:
// nothing may crash, read out of bounds or leave the store inconsistent.
#include "device/log_dump.h"
#include "device/report_queue.h"
#include "device/sentence_assembler.h"

#include <cstddef>
#include <cstdint>

namespace {

void drain(ReportQueue& queue) {
    PostedReport report;
    while (queue.tryTake(report)) {
    }
}

void checkStore(const TrackStore& store) {
    if (store.startIndex < -1 || store.startIndex >= TrackStore::kSlots)
        __builtin_trap();
    if (store.startIndex == -1 && store.earliestTime != 0xFFFFFFFFu)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TrackStore store;
    static ReportQueue queue;
    store.clear();
    DumpProgress progress;
    DumpCompleteness completeness;
    SentenceAssembler assembler;
    for (size_t i = 0; i < size; ++i) {
        if (!assembler.feedByte(data[i]))
            continue;
        const char* sentence = assembler.text();
        if (isLogSentence(sentence))
            handleLogSentence(sentence, store, progress, completeness, &queue, WM_TRANSFER);
    }
    checkStore(store);
    drain(queue);
    return 0;
}
