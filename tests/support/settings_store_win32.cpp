#include "support/settings_store.h"

#include <vector>

#include <windows.h>
#include <shlobj.h>

namespace {

constexpr wchar_t kKey[] = L"Software\\ZOR\\ZOR7700Track";

const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

void storeRaw(const std::u16string& name, DWORD type, const void* data, DWORD bytes) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, wide(name), 0, type, static_cast<const BYTE*>(data), bytes);
    RegCloseKey(key);
}

bool queryRaw(const std::u16string& name, DWORD& type, std::vector<BYTE>& data) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD bytes = 0;
    bool found =
        RegQueryValueExW(key, wide(name), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS;
    data.assign(bytes, 0);
    found = found &&
            RegQueryValueExW(key, wide(name), nullptr, &type, data.data(), &bytes) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}

} // namespace

void useFreshSettingsStore() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
}

bool settingsStoreExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool settingsStoreHasValues() {
    HKEY key = nullptr;
    DWORD values = 0;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return values > 0;
}

void storeNumber(const std::u16string& name, uint32_t value) {
    storeRaw(name, REG_DWORD, &value, sizeof value);
}

void storeText(const std::u16string& name, const std::u16string& text) {
    storeRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
}

std::optional<uint32_t> storedNumber(const std::u16string& name) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!queryRaw(name, type, data) || type != REG_DWORD || data.size() != 4)
        return std::nullopt;
    return *reinterpret_cast<const uint32_t*>(data.data());
}

std::optional<std::u16string> storedText(const std::u16string& name) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!queryRaw(name, type, data) || type != REG_SZ)
        return std::nullopt;
    std::u16string text(reinterpret_cast<const char16_t*>(data.data()),
                        data.size() / sizeof(char16_t));
    while (!text.empty() && text.back() == 0)
        text.pop_back();
    return text;
}

std::u16string expectedDocumentsFolder() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, folder);
    return reinterpret_cast<const char16_t*>(folder);
}
