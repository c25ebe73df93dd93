#include "capture_conversion.h"

#include "console.h"

#include "device/dump_decoder.h"
#include "output/track_file.h"
#include "support/utf8_text.h"

#include <memory>

RunOutcome convertCapture(const TransferOptions& options) {
    RunOutcome outcome;
    auto store = std::make_unique<TrackStore>();
    if (!readSavedDump(options.capturePath, *store, outcome.notes.dump, outcome.notes.layout)) {
        outcome.code = kExitNoCapture;
    } else if (store->startIndex < 0) {
        outcome.code = noPositionsError(outcome.notes.dump);
    } else {
        outcome.code = writeTrackFile(*store, textFromUtf8(options.outputPath), options.trackFormat,
                                      interruptRequested);
        if (outcome.code == kErrorNone && !outcome.notes.dump.isComplete()) {
            outcome.code = kExitIncompleteDump;
            outcome.notes.detail = kCompleteFromIncompleteDump;
        }
    }
    return outcome;
}
