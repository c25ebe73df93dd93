#include "device/flash_layout.h"

namespace {

// An erased sector's bytes are all set and would pass the header checksum.
constexpr uint32_t kErasedContent = 0xFFFFFFFFu;

uint32_t headerContent(const uint8_t* header) {
    const uint8_t* bytes = header + kHeaderContentOffset;
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// The header arrived whole and its checksum holds; false for erased flash.
bool isRealHeader(const uint8_t* header, bool arrived) {
    const uint16_t stored = static_cast<uint16_t>(header[kHeaderChecksumOffset] |
                                                  header[kHeaderChecksumOffset + 1] << 8);
    return arrived && sectorHeaderChecksum(header) == stored &&
           headerContent(header) != kErasedContent;
}

// The header's first 16 bytes lie in one line: sectors start 0, 32 or 64
// bytes into their line.
bool headerArrived(int32_t sector, const std::bitset<TrackStore::kLines>& linesReceived) {
    return linesReceived.test(static_cast<size_t>(sector * kSectorBytes / kLineBytes));
}

void decodeSector(const uint8_t* sector, int32_t number, TrackStore& store) {
    const RecordLayout layout = recordLayout(headerContent(sector));
    const int32_t records = recordsPerSector(layout);
    for (int32_t i = 0; i < records; ++i) {
        decodeRecord(sector + kSectorHeaderBytes + i * layout.size, layout,
                     number * TrackStore::kSlotsPerSector + i, store);
    }
}

} // namespace

LogLayout applySectorLayouts(const FlashImage& flash,
                             const std::bitset<TrackStore::kLines>& linesReceived,
                             TrackStore& store) {
    LogLayout layout;
    const uint8_t* first = flash.bytes.data();
    layout.header = isRealHeader(first, headerArrived(0, linesReceived));
    if (!layout.header)
        return layout;
    layout.content = headerContent(first);
    layout.byContent = layout.content != kBasicContent && isReadableContent(layout.content);
    if (!layout.byContent)
        return layout;
    store.clear();
    for (int32_t sector = 0; sector < kLogSectors; ++sector) {
        const uint8_t* bytes = first + sector * kSectorBytes;
        if (isRealHeader(bytes, headerArrived(sector, linesReceived)) &&
            isReadableContent(headerContent(bytes)))
            decodeSector(bytes, sector, store);
    }
    return layout;
}
