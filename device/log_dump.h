#pragma once

#include "device/track_store.h"
#include "device/transfer_error.h"

#include <bitset>
#include <cstdint>

// Progress of the dump in progress; only a start sentence resets it.
struct DumpProgress {
    int32_t expectedLine = 0;
    int32_t announcedLines = 0;
    uint32_t lastPercent = 0;
};

// What one run's dump delivered intact, to decide whether the device's copy
// may go. Reset at the start of every run: unlike DumpProgress, nothing of
// an earlier run may count towards this one.
struct DumpCompleteness {
    bool startSeen = false;
    bool endSeen = false;
    int32_t announcedLines = 0;
    std::bitset<TrackStore::kLines> linesReceived;

    // The start sentence, every announced line (in any order, repeats
    // allowed) and the end sentence arrived. More lines than the store holds
    // can never all arrive.
    bool isComplete() const;
    // Something of a dump arrived, but not all of it.
    bool isDamaged() const;
    // Announced lines that did not arrive intact.
    int32_t missingLines() const;
};

// A log that gave no position: damaged on the way (error 3) or empty (9).
inline int32_t noPositionsError(const DumpCompleteness& dump) {
    return dump.isDamaged() ? kErrorRead : kErrorNoTracks;
}

// A sentence of the log dump: what handleLogSentence takes. The device's
// other sentences (position chatter, replies) share the line with it.
bool isLogSentence(const char* sentence);

// Handles one complete, checksum-valid "$PMTKLOX," sentence: follows the
// start / data / end structure, notes what arrived in `completeness` and
// decodes data lines into the store. `percent` receives the progress to
// report, -1 when there is none new. False only for the end-of-dump sentence.
bool handleLogSentence(const char* sentence, TrackStore& store, DumpProgress& progress,
                       DumpCompleteness& completeness, int32_t& percent);

// Decodes the records of one data line into slots lineIndex * 6 onward.
void decodeLogLine(int32_t lineIndex, const char* sentence, TrackStore& store);
