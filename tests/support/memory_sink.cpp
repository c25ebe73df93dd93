#include "support/memory_sink.h"

bool MemorySink::write(const void* data, uint32_t size) {
    ++calls;
    if (refused) {
        ++lateCalls;
        return false;
    }
    if (content.size() + size > limit) {
        refused = true;
        return false;
    }
    content.append(static_cast<const char*>(data), size);
    return true;
}
