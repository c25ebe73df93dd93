#include "support/output_file.h"

#include "support/file_system.h"
#include "support/utf8_text.h"

#include <string>

#include <windows.h>

namespace {

HANDLE fileOf(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

const wchar_t* wide(const CWStr& path) {
    return reinterpret_cast<const wchar_t*>(path.c_str());
}

// Standard output's own handle stays with the process; the file gets a copy.
HANDLE copyOfStandardOutput() {
    HANDLE copy = INVALID_HANDLE_VALUE;
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), output, GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        return INVALID_HANDLE_VALUE;
    }
    return copy;
}

// No sharing while the file is written: a reader that opens it half-way
// would see half a document.
HANDLE openForWriting(const CWStr& path, DWORD disposition) {
    return CreateFileW(wide(path), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// Asked the way a direct opening would ask, so a read-only file is refused
// before anything is made; every sharing allowed, since only the question
// counts.
bool isWritable(const CWStr& path) {
    const HANDLE probe = CreateFileW(wide(path), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(probe);
    return true;
}

// A new empty file of its own name in the folder; empty when the folder
// takes none.
CWStr createFileIn(const std::string& folder) {
    wchar_t name[MAX_PATH] = {};
    if (GetTempFileNameW(wide(textFromUtf8(folder)), L"zor", 0, name) == 0)
        return CWStr();
    return CWStr(reinterpret_cast<const char16_t*>(name));
}

} // namespace

bool OutputFile::open(const CWStr& path, uint32_t) {
    if (path.IsEmpty())
        return false;
    const std::string name = utf8FromUtf16(path.c_str());
    const PathKind kind = pathKind(name);
    const std::string target = followLinks(name);
    const CWStr targetPath = textFromUtf8(target);
    HANDLE file = INVALID_HANDLE_VALUE;
    if (name == "-" || (kind != PathKind::Missing && isStandardOutput(name))) {
        file = copyOfStandardOutput();
    } else if (kind == PathKind::Folder) {
        return false;
    } else if (kind == PathKind::Other) {
        file = CreateFileW(wide(targetPath), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    } else {
        const bool exists = kind == PathKind::RegularFile;
        if (exists && !isWritable(targetPath))
            return false;
        const CWStr temporary = createFileIn(folderOf(target));
        if (!temporary.IsEmpty()) {
            file = openForWriting(temporary, TRUNCATE_EXISTING);
            if (file == INVALID_HANDLE_VALUE)
                DeleteFileW(wide(temporary));
            writtenPath = temporary;
            replacedPath = targetPath;
        } else if (exists) {
            file = openForWriting(targetPath, OPEN_EXISTING);
            truncatePending = true;
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        replacedPath = CWStr();
        writtenPath = CWStr();
        return false;
    }
    handle = reinterpret_cast<intptr_t>(file);
    return true;
}

bool OutputFile::writeThrough(const char* data, size_t size) {
    const HANDLE file = fileOf(handle);
    if (truncatePending) {
        if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
            !SetEndOfFile(file)) {
            return false;
        }
        truncatePending = false;
    }
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// Pipes and consoles have nothing to force onto a disk.
bool OutputFile::syncAndPlace() {
    const HANDLE file = fileOf(handle);
    bool placed = writeThrough(nullptr, 0) &&
                  (GetFileType(file) != FILE_TYPE_DISK || FlushFileBuffers(file) != 0);
    placed = CloseHandle(file) != 0 && placed;
    handle = kInvalid;
    if (!placed || replacedPath.IsEmpty())
        return placed;
    if (!MoveFileExW(wide(writtenPath), wide(replacedPath),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return false;
    }
    replacedPath = CWStr();
    return true;
}

void OutputFile::release() {
    if (isOpen())
        CloseHandle(fileOf(handle));
    handle = kInvalid;
    if (!replacedPath.IsEmpty())
        DeleteFileW(wide(writtenPath));
}
