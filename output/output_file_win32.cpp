#include "output/output_file.h"

#include <windows.h>

namespace {

HANDLE fileOf(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

// No sharing while the track is written: a reader that opens the file
// half-way would see half a document.
bool OutputFile::create(const CWStr& path) {
    close();
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_WRITE,
                                    0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    handle = reinterpret_cast<intptr_t>(file);
    return true;
}

bool OutputFile::write(const void* data, uint32_t size) {
    if (!isOpen()) {
        return false;
    }
    DWORD written = 0;
    return WriteFile(fileOf(handle), data, size, &written, nullptr) && written == size;
}

bool OutputFile::commit() {
    if (!isOpen()) {
        return false;
    }
    const bool flushed = FlushFileBuffers(fileOf(handle)) != 0;
    const bool closed = CloseHandle(fileOf(handle)) != 0;
    handle = kInvalid;
    return flushed && closed;
}

void OutputFile::close() {
    if (isOpen()) {
        CloseHandle(fileOf(handle));
        handle = kInvalid;
    }
}
