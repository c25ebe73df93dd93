#include "module_flash.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

namespace {

uint16_t readU16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

bool isSectorHeader(const uint8_t* header) {
    return std::equal(kHeaderTrailer.begin(), kHeaderTrailer.end(),
                      header + kHeaderTrailerOffset) &&
           sectorHeaderChecksum(header) == readU16(header + kHeaderChecksumOffset);
}

} // namespace

std::vector<uint8_t> flashFromRecords(const std::vector<RawRecord>& records,
                                      const SectorHeader& setup) {
    const RecordLayout layout = recordLayout(setup.content);
    const int64_t perSector = recordsPerSector(layout);
    const int64_t count = static_cast<int64_t>(records.size());
    const int64_t begun = (count + perSector - 1) / perSector;
    std::vector<uint8_t> flash(
        static_cast<size_t>(std::min<int64_t>(begun, kLogSectors)) * kSectorBytes, 0xFF);
    // Only the sectors begun last are still there, each where the ring put it.
    for (int64_t sector = std::max<int64_t>(0, begun - kLogSectors); sector < begun; ++sector) {
        uint8_t* at = &flash[static_cast<size_t>(sector % kLogSectors) * kSectorBytes];
        const int64_t first = sector * perSector;
        SectorHeader header = setup;
        header.serial = static_cast<uint16_t>(sector + 1);
        header.usedSlots = static_cast<int32_t>(std::min(perSector, count - first));
        const auto headerBytes = encodeSectorHeader(header);
        std::memcpy(at, headerBytes.data(), headerBytes.size());
        for (int32_t slot = 0; slot < header.usedSlots; ++slot) {
            const auto bytes =
                encodeRecord(records[static_cast<size_t>(first + slot)], setup.content);
            std::memcpy(at + kSectorHeaderBytes + slot * layout.size, bytes.data(), bytes.size());
        }
    }
    return flash;
}

LogLines dumpLinesOf(const std::vector<uint8_t>& flash) {
    LogLines lines;
    for (size_t at = 0; at < flash.size(); at += kLineBytes) {
        const auto words =
            static_cast<int32_t>(std::min<size_t>(kLineBytes, flash.size() - at) / 4);
        lines.push_back(dumpDataSentence(static_cast<int32_t>(lines.size()), &flash[at], words));
    }
    return lines;
}

std::vector<uint8_t> flashOfLines(const LogLines& lines) {
    std::vector<uint8_t> flash;
    for (const std::string& line : lines) {
        int index = -1;
        int consumed = 0;
        if (std::sscanf(line.c_str(), "$PMTKLOX,1,%d%n", &index, &consumed) != 1 || index < 0 ||
            index >= kLogLines) {
            continue;
        }
        const size_t start = static_cast<size_t>(index) * kLineBytes;
        flash.resize(std::max(flash.size(), start + kLineBytes), 0xFF);
        unsigned word = 0;
        int length = 0;
        const char* next = line.c_str() + consumed;
        for (size_t at = start; at < start + kLineBytes &&
                                std::sscanf(next, ",%8x%n", &word, &length) == 1 && length == 9;
             at += 4, next += length) {
            for (int b = 0; b < 4; ++b)
                flash[at + static_cast<size_t>(b)] = static_cast<uint8_t>(word >> (24 - 8 * b));
        }
    }
    return flash;
}

FlashUse flashUse(const std::vector<uint8_t>& flash) {
    FlashUse use;
    for (size_t at = 0; at + kSectorBytes <= flash.size(); at += kSectorBytes) {
        const uint8_t* header = &flash[at];
        if (!isSectorHeader(header))
            continue;
        for (int32_t i = 0; i < kSlotBitmapBytes; ++i)
            use.records += std::popcount(static_cast<uint8_t>(~header[kSlotBitmapOffset + i]));
        use.newestSerial = std::max(use.newestSerial, readU16(header + HeaderField::kSerial));
    }
    return use;
}

SectorHeader moduleSetup(const ModuleOptions& options) {
    SectorHeader setup;
    setup.content = options.content;
    return setup;
}

bool loadModuleMemory(const SimOptions& options, ModuleMemory& memory, std::string& error) {
    if (options.logSource == LogSource::Capture) {
        if (!readCaptureLines(options.logPath, memory.lines, error))
            return false;
        memory.flash = flashOfLines(memory.lines);
        return true;
    }
    std::vector<RawRecord> records;
    if (!loadLogRecords(options, records, error))
        return false;
    memory.flash = flashFromRecords(records, moduleSetup(options.module));
    memory.lines = dumpLinesOf(memory.flash);
    return true;
}
