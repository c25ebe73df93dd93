// Random device bytes through the dump decoder, as a live dump and as a saved
// file, and every sentence they hold through the readers of a module's
// replies: nothing may crash, read out of bounds or leave the store
// inconsistent.
#include "device/dump_decoder.h"
#include "device/module_replies.h"

#include <string>

#include <cstddef>
#include <cstdint>

namespace {

void checkStore(const TrackStore& store) {
    if (store.startIndex < -1 || store.startIndex >= TrackStore::kSlots)
        __builtin_trap();
    if (store.startIndex == -1 && store.earliestTime != 0xFFFFFFFFu)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Kept from input to input, as the worker keeps them from run to run.
    static TrackStore store;
    static SentenceAssembler assembler;
    static DumpDecoder decoders[] = {{assembler, store, DumpDecoder::LineEnds::Wire},
                                     {assembler, store, DumpDecoder::LineEnds::Saved}};
    for (DumpDecoder& decoder : decoders) {
        store.clear();
        assembler.reset();
        decoder.startRun();
        const auto count = static_cast<uint32_t>(size);
        for (uint32_t used = 0; used < count;) {
            const DumpStep step = decoder.feed(data + used, count - used);
            used += step.consumed;
            // Lines past the announced count may report more than 100 percent.
            if (step.consumed == 0 || step.percent < -1)
                __builtin_trap();
        }
        decoder.finish();
        checkStore(store);
    }
    SentenceAssembler replies;
    for (size_t i = 0; i < size; ++i) {
        if (!replies.feedByte(data[i]))
            continue;
        std::string model;
        LoggerStatus status;
        int32_t flag = 0;
        readReleaseReply(replies.text(), model);
        if (readLogStatus(replies.text(), status) && status.records < 0)
            __builtin_trap();
        if (readAcknowledgement(replies.text(), 184, flag) && flag < 0)
            __builtin_trap();
    }
    return 0;
}
