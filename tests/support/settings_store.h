#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The store underneath CRegistryKey, reached around it so tests can plant
// values of either kind and see what a save left behind: the key
// "Software\ZOR\ZOR7700Track" of the current user on Windows, a private
// configuration folder (HOME and XDG_CONFIG_HOME point into a fresh
// temporary folder) elsewhere.
void useFreshSettingsStore();
bool settingsStoreExists();
bool settingsStoreHasValues();

void storeNumber(const std::u16string& name, uint32_t value);
void storeText(const std::u16string& name, const std::u16string& text);

// A value of the number kind, or nothing when missing or of another kind.
std::optional<uint32_t> storedNumber(const std::u16string& name);
std::optional<std::u16string> storedText(const std::u16string& name);

// The documents folder a first run is expected to fall back to.
std::u16string expectedDocumentsFolder();
