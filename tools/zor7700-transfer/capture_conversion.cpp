#include "capture_conversion.h"

#include "console.h"

#include "device/dump_decoder.h"
#include "output/track_file.h"
#include "support/utf8_text.h"

#include <memory>

RunOutcome convertCapture(const TransferOptions& options) {
    RunOutcome outcome;
    auto store = std::make_unique<TrackStore>();
    if (!readSavedDump(options.capturePath, *store, outcome.dump, outcome.layout)) {
        outcome.code = kExitNoCapture;
    } else if (store->startIndex < 0) {
        outcome.code = noPositionsError(outcome.dump);
    } else {
        outcome.code = writeTrackFile(*store, textFromUtf8(options.outputPath), options.trackFormat,
                                      interruptRequested);
        if (outcome.code == kErrorNone && !outcome.dump.isComplete())
            outcome.code = kExitIncompleteDump;
    }
    return outcome;
}
