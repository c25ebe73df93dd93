#pragma once

#include "device/report_target.h"
#include "device/track_store.h"

#include <cstdint>

// Progress of the dump in progress; only a start sentence resets it.
struct DumpProgress {
    int32_t expectedLine = 0;
    int32_t announcedLines = 0;
    uint32_t lastPercent = 0;
};

// Handles one complete, checksum-valid "$PMTKLOX," sentence: follows the
// start / data / end structure, posts progress (wParam 4) to the window and
// decodes data lines into the store. False only for the end-of-dump sentence.
bool handleLogSentence(const char* sentence, TrackStore& store, DumpProgress& progress,
                       WindowHandle notifyWindow, uint32_t notifyMessage);

// Decodes the records of one data line into slots lineIndex * 6 onward.
void decodeLogLine(int32_t lineIndex, const char* sentence, TrackStore& store);
