#include "support/settings_store.h"

#include "support/ini_document.h"
#include "support/utf8_text.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Removes the last test's folder when the test program ends.
struct TemporaryRoot {
    fs::path path;
    ~TemporaryRoot() {
        std::error_code ignored;
        if (!path.empty())
            fs::remove_all(path, ignored);
    }
};
TemporaryRoot root;

fs::path settingsFile() {
    return root.path / "config" / "ZOR" / "ZOR7700Track.conf";
}

std::string fileText() {
    std::ifstream in(settingsFile());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void appendLine(const std::u16string& name, const std::string& raw) {
    fs::create_directories(settingsFile().parent_path());
    const bool fresh = fileText().empty();
    std::ofstream out(settingsFile(), std::ios::app);
    if (fresh)
        out << "[General]\n";
    out << utf8FromUtf16(name) << '=' << raw << '\n';
}

// The raw text of the last "name=" line.
std::optional<std::string> storedRaw(const std::u16string& name) {
    std::istringstream lines(fileText());
    const std::string prefix = utf8FromUtf16(name) + "=";
    std::optional<std::string> raw;
    for (std::string line; std::getline(lines, line);)
        if (line.compare(0, prefix.size(), prefix) == 0)
            raw = line.substr(prefix.size());
    return raw;
}

} // namespace

void useFreshSettingsStore() {
    std::error_code ignored;
    if (!root.path.empty())
        fs::remove_all(root.path, ignored);
    std::string pattern = (fs::temp_directory_path() / "zor-settings-XXXXXX").string();
    root.path = mkdtemp(pattern.data());
    fs::create_directories(root.path / "home" / "Documents");
    setenv("HOME", (root.path / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root.path / "config").c_str(), 1);
}

bool settingsStoreExists() {
    return fs::is_regular_file(settingsFile());
}

bool settingsStoreHasValues() {
    return fileText().find('=') != std::string::npos;
}

void storeNumber(const std::u16string& name, uint32_t value) {
    appendLine(name, std::to_string(value));
}

void storeText(const std::u16string& name, const std::u16string& text) {
    appendLine(name, "\"" + utf8FromUtf16(text) + "\"");
}

std::optional<uint32_t> storedNumber(const std::u16string& name) {
    const std::optional<std::string> raw = storedRaw(name);
    if (!raw || raw->empty())
        return std::nullopt;
    char* end = nullptr;
    const long long value = std::strtoll(raw->c_str(), &end, 10);
    if (*end != 0)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

// Read back as the program reads it: a saved path may hold quotes and escapes.
std::optional<std::u16string> storedText(const std::u16string& name) {
    const std::optional<std::string> raw = storedRaw(name);
    std::string text;
    if (!raw || !decodeIniText(*raw, text))
        return std::nullopt;
    std::u16string wide;
    utf16FromUtf8(text, wide);
    return wide;
}

// With no user-dirs.dirs the documents folder is the home folder.
std::u16string expectedDocumentsFolder() {
    std::u16string text;
    utf16FromUtf8((root.path / "home").string(), text);
    return text;
}
