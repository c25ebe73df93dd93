#include "raw_dump_file.h"

#include "file_system.h"
#include "tool_text.h"

RawDumpFile::~RawDumpFile() {
    file.close();
    if (!temporary.empty())
        removeFile(temporary);
}

bool RawDumpFile::open(const std::string& path) {
    return prepareReplacement(path, target, temporary) &&
           file.create(pathText(temporary.empty() ? target : temporary));
}

bool RawDumpFile::write(const void* data, uint32_t size) {
    failed = !file.write(data, size) || failed;
    return !failed;
}

// A device or FIFO has nothing to force onto a disk; only its writes count.
bool RawDumpFile::commit() {
    if (temporary.empty()) {
        file.close();
        return !failed;
    }
    if (failed || !file.commit() || !replaceFile(temporary, target))
        return false;
    temporary.clear();
    return true;
}
