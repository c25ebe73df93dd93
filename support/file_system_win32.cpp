#include "support/file_system.h"
#include "support/non_copyable.h"
#include "support/utf8_text.h"

#include <string>

#include <windows.h>

namespace {

// The tool's own conversions, so a name that is not UTF-8 fails here as it
// does everywhere else in the tool.
std::wstring wide(const std::string& path) {
    return reinterpret_cast<const wchar_t*>(textFromUtf8(path).c_str());
}

std::string narrow(const std::wstring& path) {
    return utf8FromUtf16(reinterpret_cast<const char16_t*>(path.c_str()));
}

// What a path names, opened for its attributes only: no access asked, every
// sharing allowed, folders too, links followed.
class FileQuery : NonCopyable {
public:
    explicit FileQuery(const std::string& path)
        : handle(CreateFileW(wide(path).c_str(), 0,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
    ~FileQuery() {
        if (isOpen())
            CloseHandle(handle);
    }
    bool isOpen() const { return handle != INVALID_HANDLE_VALUE; }
    bool identity(BY_HANDLE_FILE_INFORMATION& info) const {
        return isOpen() && GetFileInformationByHandle(handle, &info) != 0;
    }

    const HANDLE handle;
};

// The final path comes as "\\?\C:\..." or "\\?\UNC\server\...".
std::wstring withoutLongPrefix(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0)
        return L"\\" + path.substr(7);
    if (path.rfind(L"\\\\?\\", 0) == 0)
        return path.substr(4);
    return path;
}

// The absolute form of `path`; `nameOffset` receives where its last part
// begins. Empty when it has none.
std::wstring fullPath(const std::wstring& path, size_t& nameOffset) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return {};
    std::wstring full(size, L'\0');
    wchar_t* name = nullptr;
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), &name);
    if (length == 0 || length >= size)
        return {};
    nameOffset = name != nullptr ? static_cast<size_t>(name - full.data()) : length;
    full.resize(length);
    return full;
}

} // namespace

std::string followLinks(const std::string& path) {
    const FileQuery file(path);
    if (!file.isOpen())
        return path;
    const DWORD size = GetFinalPathNameByHandleW(file.handle, nullptr, 0, 0);
    std::wstring finalPath(size, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(file.handle, finalPath.data(), size, 0);
    if (size == 0 || length == 0 || length >= size)
        return path;
    finalPath.resize(length);
    return narrow(withoutLongPrefix(finalPath));
}

PathKind pathKind(const std::string& path) {
    const FileQuery file(path);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.isOpen())
        return PathKind::Missing;
    if (GetFileType(file.handle) != FILE_TYPE_DISK || !file.identity(info))
        return PathKind::Other;
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder
                                                                   : PathKind::RegularFile;
}

bool isSameFile(const std::string& first, const std::string& second) {
    BY_HANDLE_FILE_INFORMATION one{};
    BY_HANDLE_FILE_INFORMATION two{};
    const bool firstExists = FileQuery(first).identity(one);
    const bool secondExists = FileQuery(second).identity(two);
    if (firstExists || secondExists) {
        return firstExists && secondExists &&
               one.dwVolumeSerialNumber == two.dwVolumeSerialNumber &&
               one.nFileIndexHigh == two.nFileIndexHigh && one.nFileIndexLow == two.nFileIndexLow;
    }
    // Neither exists yet: the same place, with names compared as Windows does.
    size_t ignored = 0;
    const std::wstring firstFull = fullPath(wide(first), ignored);
    const std::wstring secondFull = fullPath(wide(second), ignored);
    return !firstFull.empty() &&
           CompareStringOrdinal(firstFull.c_str(), -1, secondFull.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool isStandardOutput(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION named{};
    BY_HANDLE_FILE_INFORMATION output{};
    return FileQuery(path).identity(named) &&
           GetFileInformationByHandle(GetStdHandle(STD_OUTPUT_HANDLE), &output) != 0 &&
           named.dwVolumeSerialNumber == output.dwVolumeSerialNumber &&
           named.nFileIndexHigh == output.nFileIndexHigh &&
           named.nFileIndexLow == output.nFileIndexLow;
}

std::string folderOf(const std::string& path) {
    size_t nameOffset = 0;
    const std::wstring full = fullPath(wide(path), nameOffset);
    return narrow(full.substr(0, nameOffset));
}
