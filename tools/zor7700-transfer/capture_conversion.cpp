#include "capture_conversion.h"

#include "tool_text.h"

#include "device/log_dump.h"
#include "device/sentence_assembler.h"
#include "device/transfer_worker.h"
#include "output/output_file.h"
#include "output/track_writer.h"

#include <cstdio>
#include <memory>

namespace {

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
    int byte = 0;
    do {
        byte = std::fgetc(file);
    } while (!reader.feedSaved(byte) && byte != EOF);
    bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    return !readFailed;
}

int32_t writeOutputFile(const TransferOptions& options, const TrackStore& store) {
    OutputFile file;
    if (!file.create(pathText(options.outputPath)))
        return kErrorCreateFile;
    const bool written = writeTrack(store, file, options.nmeaOutput, options.gpxOutput);
    return written && file.commit() ? kErrorNone : kErrorWriteFile;
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
