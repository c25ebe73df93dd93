#include "support/output_file.h"

#include "support/file_system.h"
#include "support/utf8_text.h"

#include <cstring>

namespace {

// Large enough that a whole track takes a handful of system calls.
constexpr size_t kBlockBytes = 64 * 1024;

} // namespace

bool OutputFile::create(const CWStr& path, uint32_t newFileMode) {
    close();
    failed = false;
    pending.clear();
    pending.reserve(kBlockBytes);
    return open(path, newFileMode);
}

bool OutputFile::write(const void* data, uint32_t size) {
    if (!isOpen() || failed)
        return false;
    if (pending.size() + size > kBlockBytes && !flush())
        return false;
    const char* bytes = static_cast<const char*>(data);
    if (size >= kBlockBytes) {
        failed = !writeThrough(bytes, size);
        return !failed;
    }
    pending.insert(pending.end(), bytes, bytes + size);
    return true;
}

bool OutputFile::flush() {
    if (!pending.empty())
        failed = !writeThrough(pending.data(), pending.size()) || failed;
    pending.clear();
    return !failed;
}

bool OutputFile::commit() {
    if (!isOpen())
        return false;
    const bool placed = flush() && syncAndPlace();
    close();
    return placed;
}

void OutputFile::close() {
    release();
    replacedPath = CWStr();
    writtenPath = CWStr();
    truncatePending = false;
    pending.clear();
}

bool OutputFile::accepts(const CWStr& path) {
    if (std::u16string_view(path.c_str()) == kStandardOutput)
        return true;
    const std::string name = utf8FromUtf16(path.c_str());
    if (pathKind(name) == PathKind::Other || isStandardOutput(name))
        return true;
    OutputFile probe;
    return probe.create(path);
}
