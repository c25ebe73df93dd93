#include "capture_conversion.h"

#include "console.h"

#include "device/log_dump.h"
#include "device/sentence_assembler.h"
#include "device/transfer_worker.h"
#include "output/track_writer.h"
#include "support/output_file.h"
#include "support/utf8_text.h"

#include <array>
#include <cstdio>
#include <memory>

namespace {

constexpr size_t kReadBlockBytes = 64 * 1024;

// The live dump's path from bytes to the store; true once the end sentence
// has been handled.
class DumpReader {
public:
    DumpReader(TrackStore& store, DumpCompleteness& completeness)
        : store(store), completeness(completeness) {}

    bool feed(uint8_t byte) {
        return assembler.feedByte(byte) && isLogSentence(assembler.text()) &&
               !handleLogSentence(assembler.text(), store, progress, completeness, nullptr,
                                  WM_TRANSFER);
    }

    // A saved file's lines may end in LF, CR or CR CR LF (a terminal
    // program's log, an editor on another system); the assembler takes CR LF
    // only, so every run of line-end bytes, and the end of the file, becomes
    // one CR LF.
    bool feedSaved(int byte) {
        const bool lineEnd = byte == '\r' || byte == '\n' || byte == EOF;
        if (lineEnd && inLineEnd)
            return false;
        inLineEnd = lineEnd;
        if (!lineEnd)
            return feed(static_cast<uint8_t>(byte));
        feed('\r');
        return feed('\n');
    }

private:
    TrackStore& store;
    DumpCompleteness& completeness;
    SentenceAssembler assembler;
    DumpProgress progress;
    bool inLineEnd = false;
};

// Feeds the file to the store; false when it cannot be read.
bool readDump(const std::string& path, TrackStore& store, DumpCompleteness& completeness) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    DumpReader reader(store, completeness);
    std::array<uint8_t, kReadBlockBytes> block;
    bool ended = false;
    size_t count = 0;
    while (!ended && (count = std::fread(block.data(), 1, block.size(), file)) > 0) {
        for (size_t i = 0; i < count && !ended; ++i)
            ended = reader.feedSaved(block[i]);
    }
    if (!ended)
        reader.feedSaved(EOF);
    bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    return !readFailed;
}

// A stop asked for meanwhile keeps an earlier file as it was.
int32_t writeOutputFile(const TransferOptions& options, const TrackStore& store) {
    OutputFile file;
    if (!file.create(textFromUtf8(options.outputPath)))
        return kErrorCreateFile;
    if (!writeTrack(store, file, options.nmeaOutput, options.gpxOutput))
        return kErrorWriteFile;
    if (interruptRequested())
        return kErrorStopped;
    return file.commit() ? kErrorNone : kErrorWriteFile;
}

} // namespace

RunOutcome convertCapture(const TransferOptions& options) {
    RunOutcome outcome;
    auto store = std::make_unique<TrackStore>();
    store->clear();
    if (!readDump(options.capturePath, *store, outcome.dump)) {
        outcome.code = kExitNoCapture;
    } else if (store->startIndex < 0) {
        outcome.code = noPositionsError(outcome.dump);
    } else {
        outcome.code = writeOutputFile(options, *store);
        if (outcome.code == kErrorNone && !outcome.dump.isComplete())
            outcome.code = kExitIncompleteDump;
    }
    return outcome;
}
