#pragma once

#include "log_source.h"
#include "sim_options.h"
#include "tools/common/log_encoder.h"

#include <cstdint>
#include <string>
#include <vector>

// A LOCUS module's log memory: its flash, the used sectors whole, and the
// data lines a dump sends of it (a capture's lines as they stand).
struct ModuleMemory {
    std::vector<uint8_t> flash;
    LogLines lines;

    void erase() {
        flash.clear();
        lines.clear();
    }
};

// Fills the memory from the source the options name, in the layout of the
// module's content; false with a message.
bool loadModuleMemory(const SimOptions& options, ModuleMemory& memory, std::string& error);

// Lays records out as a module's flash does: sector after sector, each behind
// its header (`setup` with the serial and used slots filled in), as many to a
// sector as recordsPerSector gives. Once all sectors are full the oldest is
// erased and begun anew with the next serial, as an overlap log does.
std::vector<uint8_t> flashFromRecords(const std::vector<RawRecord>& records,
                                      const SectorHeader& setup);

// The dump's data lines of a flash: 24 words each, the last one shorter
// where the bytes end mid-line (a sector ends after 16 words of line 42).
LogLines dumpLinesOf(const std::vector<uint8_t>& flash);

// The bytes a dump's data lines carry, each line at its place; what no line
// fills is erased.
std::vector<uint8_t> flashOfLines(const LogLines& lines);

// What the sector headers say of the log: the records written and the
// newest sector's serial. Sectors without a valid header count nothing.
struct FlashUse {
    int32_t records = 0;
    uint16_t newestSerial = 0;
};
FlashUse flashUse(const std::vector<uint8_t>& flash);

// The header fields the module's sectors begin with: its content, overlap
// logging of fixes every 15 seconds.
SectorHeader moduleSetup(const ModuleOptions& options);
