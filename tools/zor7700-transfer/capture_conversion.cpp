#include "capture_conversion.h"

#include "tool_text.h"

#include "device/log_dump.h"
#include "device/sentence_assembler.h"
#include "device/transfer_worker.h"
#include "output/kml_writer.h"
#include "output/nmea_writer.h"
#include "output/output_file.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Feeds the file to the store; false when it cannot be read.
bool readDump(const std::string& path, TrackStore& store) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    SentenceAssembler assembler;
    DumpProgress progress;
    DumpCompleteness completeness;
    bool dumpEnded = false;
    int byte = 0;
    while (!dumpEnded && (byte = std::fgetc(file)) != EOF) {
        if (assembler.feedByte(static_cast<uint8_t>(byte)) &&
            std::strncmp(assembler.text(), "$PMTKLOX,", 9) == 0) {
            dumpEnded = !handleLogSentence(assembler.text(), store, progress, completeness, nullptr,
                                           WM_TRANSFER);
        }
    }
    bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    return !readFailed;
}

} // namespace

int32_t convertCapture(const TransferOptions& options) {
    auto store = std::make_unique<TrackStore>();
    store->clear();
    if (!readDump(options.capturePath, *store))
        return kExitNoCapture;
    if (store->startIndex < 0)
        return kErrorNoTracks;
    OutputFile file;
    if (!file.create(pathText(options.outputPath)))
        return kErrorCreateFile;
    bool written = options.nmeaOutput ? writeNmeaTrack(*store, file) : writeKmlTrack(*store, file);
    if (!written || !file.commit())
        return kErrorWriteFile;
    return kErrorNone;
}
