#include "support/settings_sandbox.h"

#include <windows.h>

namespace {

constexpr const wchar_t* kSettingsKey = L"Software\\ZOR\\ZOR7700Track";

} // namespace

SettingsSandbox::SettingsSandbox(const std::string&) { Clear(); }

SettingsSandbox::~SettingsSandbox() { Clear(); }

void SettingsSandbox::Clear() { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

bool SettingsSandbox::Exists() const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD values = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(key);
    return values > 0;
}
