#pragma once

#include "device/track_store.h"
#include "device/transfer_error.h"

#include <bitset>
#include <cstdint>
#include <vector>

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

// The log's flash as the dump's lines delivered it, erased (all bits set)
// where no line arrived: what records of another layout are read from once
// the dump has ended.
struct FlashImage {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(kFlashBytes, 0xFF);
    // Lines written since the last erase, which is all it has to undo.
    std::bitset<kLogLines> written;

    void put(int32_t lineIndex, const uint8_t* lineBytes, int32_t count);
    void erase();
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
// decodes data lines into the store (and copies them into `flash`, if
// given). `percent` receives the progress to report, -1 when there is none
// new. False only for the end-of-dump sentence.
bool handleLogSentence(const char* sentence, TrackStore& store, DumpProgress& progress,
                       DumpCompleteness& completeness, int32_t& percent,
                       FlashImage* flash = nullptr);

// Decodes the 16-byte records of one data line into slots lineIndex * 6
// onward, and copies its bytes into `flash` at their place, if given.
void decodeLogLine(int32_t lineIndex, const char* sentence, TrackStore& store,
                   FlashImage* flash = nullptr);

// Decodes one record of `layout` into `slot`, by the rules every record
// follows: an intact checksum, the fix rule, the earliest time the start.
void decodeRecord(const uint8_t* bytes, const RecordLayout& layout, int32_t slot,
                  TrackStore& store);
