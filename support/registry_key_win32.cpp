#include "support/registry_key.h"

#include <windows.h>
#include <shlobj.h>

namespace {

HKEY keyOf(void* handle) {
    return static_cast<HKEY>(handle);
}
const wchar_t* wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

} // namespace

CRegistryKey::CRegistryKey() {
    HKEY key = nullptr;
    DWORD disposition = 0;
    wchar_t noClass[] = L"";
    isOpen = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\ZOR\\ZOR7700Track", 0, noClass, 0,
                             KEY_ALL_ACCESS, nullptr, &key, &disposition) == ERROR_SUCCESS;
    if (isOpen)
        hKey = key;
}

CRegistryKey::~CRegistryKey() {
    if (isOpen)
        RegCloseKey(keyOf(hKey));
}

int32_t CRegistryKey::ReadDword(const char16_t* name, int32_t fallback) {
    if (!isOpen)
        return fallback;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    const LSTATUS status = RegQueryValueExW(keyOf(hKey), wide(name), nullptr, &type,
                                            reinterpret_cast<BYTE*>(&data), &size);
    return status == ERROR_SUCCESS && type == REG_DWORD ? static_cast<int32_t>(data) : fallback;
}

void CRegistryKey::ReadString(const char16_t* name, char16_t (&buffer)[260]) {
    DWORD type = 0;
    DWORD size = sizeof buffer;
    const bool read =
        isOpen && RegQueryValueExW(keyOf(hKey), wide(name), nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS;
    if (!read || type != REG_SZ)
        buffer[0] = 0;
    // The system terminates short string data itself; a full buffer of
    // unterminated data keeps its first 259 characters.
    buffer[259] = 0;
}

void CRegistryKey::WriteDword(const char16_t* name, int32_t value) {
    if (!isOpen)
        return;
    const DWORD data = static_cast<DWORD>(value);
    RegSetValueExW(keyOf(hKey), wide(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                   sizeof data);
}

void CRegistryKey::WriteString(const char16_t* name, const char16_t* text) {
    if (!isOpen)
        return;
    DWORD length = 0;
    while (text[length] != 0)
        ++length;
    RegSetValueExW(keyOf(hKey), wide(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   (length + 1) * sizeof(char16_t));
}

void documentsFolder(char16_t (&buffer)[260]) {
    buffer[0] = 0;
    wchar_t* folder = reinterpret_cast<wchar_t*>(buffer);
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, folder)))
        buffer[0] = 0;
}
