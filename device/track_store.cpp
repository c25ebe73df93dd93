#include "device/track_store.h"

void TrackStore::clear() {
    records.fill(LogRecord{});
    startIndex = -1;
    earliestTime = 0xFFFFFFFFu;
}
