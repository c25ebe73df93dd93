// Random device bytes through the dump decoder, as a live dump and as a saved
// file: nothing may crash, read out of bounds or leave the store
// inconsistent.
#include "device/dump_decoder.h"

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
    static TrackStore store;
    for (const DumpDecoder::LineEnds lineEnds :
         {DumpDecoder::LineEnds::Wire, DumpDecoder::LineEnds::Saved}) {
        store.clear();
        SentenceAssembler assembler;
        DumpDecoder decoder(assembler, store, lineEnds);
        const auto count = static_cast<uint32_t>(size);
        for (uint32_t used = 0; used < count;) {
            const DumpStep step = decoder.feed(data + used, count - used);
            used += step.consumed;
            if (step.consumed == 0 || step.percent > 100 || step.percent < -1)
                __builtin_trap();
        }
        decoder.finish();
        checkStore(store);
    }
    return 0;
}
