#include "support/user_folders_posix.h"

#include "support/registry_key.h"
#include "support/utf8_text.h"

#include <cstdlib>
#include <fstream>
#include <string_view>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string accountHome() {
    passwd entry{};
    passwd* found = nullptr;
    char scratch[4096];
    if (getpwuid_r(getuid(), &entry, scratch, sizeof scratch, &found) != 0 || !found ||
        !found->pw_dir)
        return {};
    return found->pw_dir;
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The documents folder that user-dirs.dirs names ("$HOME/..." or an
// absolute path, the only forms its writer produces); empty when none.
std::string xdgDocumentsFolder() {
    static constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=\"";
    static constexpr std::string_view kHome = "$HOME";
    std::ifstream file(configFolder() + "/user-dirs.dirs");
    std::string line;
    std::string folder;
    while (std::getline(file, line)) {
        if (line.compare(0, kKey.size(), kKey) != 0)
            continue;
        const size_t end = line.find('"', kKey.size());
        if (end == std::string::npos)
            continue;
        std::string value = line.substr(kKey.size(), end - kKey.size());
        if (value.compare(0, kHome.size(), kHome) == 0)
            value = homeFolder() + value.substr(kHome.size());
        if (!value.empty() && value.front() == '/')
            folder = value;
    }
    return folder;
}

// Copies a folder that exists and fits the 260-character buffer.
bool copyFolder(const std::string& folder, char16_t (&buffer)[260]) {
    std::u16string text;
    if (!isFolder(folder) || !utf16FromUtf8(folder, text) || text.size() >= 260)
        return false;
    text.copy(buffer, text.size());
    buffer[text.size()] = 0;
    return true;
}

} // namespace

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) : accountHome();
}

std::string configFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return config;
    return homeFolder() + "/.config";
}

// What `xdg-user-dir DOCUMENTS` reports, when that folder exists; else the
// home folder, so the save dialog always opens somewhere real.
void documentsFolder(char16_t (&buffer)[260]) {
    buffer[0] = 0;
    if (!copyFolder(xdgDocumentsFolder(), buffer))
        copyFolder(homeFolder(), buffer);
}
