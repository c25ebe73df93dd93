#include "device/dump_decoder.h"

#include <array>
#include <cstdio>

namespace {

constexpr size_t kReadBlockBytes = 64 * 1024;

} // namespace

DumpDecoder::DumpDecoder(SentenceAssembler& assembler, TrackStore& store, LineEnds lineEnds)
    : assembler(assembler), store(store), lineEnds(lineEnds) {}

void DumpDecoder::startRun() {
    dumpCompleteness = {};
    inLineEnd = false;
    flash.erase();
    logLayout = {};
}

DumpStep DumpDecoder::feed(const uint8_t* bytes, uint32_t count) {
    DumpStep step;
    while (step.consumed < count && !step.sentence)
        feedByte(bytes[step.consumed++], step);
    return step;
}

DumpStep DumpDecoder::finish() {
    DumpStep step;
    if (lineEnds == LineEnds::Saved && !inLineEnd)
        feedByte('\n', step);
    if (!step.ended)
        applyLayout();
    return step;
}

void DumpDecoder::feedByte(uint8_t byte, DumpStep& step) {
    if (lineEnds == LineEnds::Wire) {
        assemble(byte, step);
        return;
    }
    const bool lineEnd = byte == '\r' || byte == '\n';
    if (lineEnd && inLineEnd)
        return;
    inLineEnd = lineEnd;
    if (!lineEnd) {
        assemble(byte, step);
        return;
    }
    assemble('\r', step);
    assemble('\n', step);
}

void DumpDecoder::assemble(uint8_t byte, DumpStep& step) {
    if (!assembler.feedByte(byte) || !isLogSentence(assembler.text()))
        return;
    step.sentence = true;
    step.ended = !handleLogSentence(assembler.text(), store, progress, dumpCompleteness,
                                    step.percent, &flash);
    if (step.ended)
        applyLayout();
}

void DumpDecoder::applyLayout() {
    logLayout = applySectorLayouts(flash, dumpCompleteness.linesReceived, store);
}

bool readSavedDump(const std::string& path, TrackStore& store, DumpCompleteness& completeness,
                   LogLayout& layout) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    store.clear();
    SentenceAssembler assembler;
    DumpDecoder decoder(assembler, store, DumpDecoder::LineEnds::Saved);
    std::array<uint8_t, kReadBlockBytes> block;
    bool ended = false;
    size_t count = 0;
    while (!ended && (count = std::fread(block.data(), 1, block.size(), file)) > 0) {
        for (uint32_t used = 0; used < count && !ended;) {
            const DumpStep step =
                decoder.feed(block.data() + used, static_cast<uint32_t>(count - used));
            used += step.consumed;
            ended = step.ended;
        }
    }
    if (!ended)
        decoder.finish();
    const bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    completeness = decoder.completeness();
    layout = decoder.layout();
    return !readFailed;
}
