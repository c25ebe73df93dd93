#pragma once

#include "device/flash_layout.h"
#include "device/log_dump.h"
#include "device/sentence_assembler.h"
#include "device/track_store.h"

#include <cstdint>
#include <string>

// What one call of DumpDecoder::feed did.
struct DumpStep {
    uint32_t consumed = 0; // bytes taken from the front
    bool sentence = false; // a dump sentence was handled: the device is talking
    bool ended = false;    // it was the end-of-dump sentence
    int32_t percent = -1;  // progress to report, -1 for none
};

// The one path from the bytes of a dump to the store, for the live dump and a
// saved one alike: every byte through the SentenceAssembler, every $PMTKLOX
// sentence through handleLogSentence, until the end sentence.
class DumpDecoder {
public:
    // A saved file's lines may end in LF, CR or CR CR LF (a terminal
    // program's log, an editor on another system); the assembler takes CR LF
    // only, so there every run of line-end bytes becomes one CR LF.
    enum class LineEnds { Wire, Saved };

    DumpDecoder(SentenceAssembler& assembler, TrackStore& store,
                LineEnds lineEnds = LineEnds::Wire);

    // Nothing of an earlier run's dump counts towards this one; the progress
    // state, which only a start sentence resets, carries over.
    void startRun();
    // Feeds bytes in order and stops behind the first dump sentence.
    DumpStep feed(const uint8_t* bytes, uint32_t count);
    // The end of a saved file ends its last line.
    DumpStep finish();
    const DumpCompleteness& completeness() const { return dumpCompleteness; }
    // How the records were read; final once the dump has ended.
    const LogLayout& layout() const { return logLayout; }

private:
    void feedByte(uint8_t byte, DumpStep& step);
    void assemble(uint8_t byte, DumpStep& step);
    void applyLayout();

    SentenceAssembler& assembler;
    TrackStore& store;
    const LineEnds lineEnds;
    bool inLineEnd = false;
    DumpProgress progress;
    DumpCompleteness dumpCompleteness;
    FlashImage flash;
    LogLayout logLayout;
};

// Decodes a saved dump (a --raw copy, any text holding the sentences) into a
// cleared store, read in blocks up to the end sentence; false when the file
// cannot be read.
bool readSavedDump(const std::string& path, TrackStore& store, DumpCompleteness& completeness,
                   LogLayout& layout);
