#include "support/registry_key.h"

#include "support/atomic_file_posix.h"
#include "support/ini_document.h"
#include "support/user_folders_posix.h"
#include "support/utf8_text.h"

#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Outside Windows the key is the file ZOR/ZOR7700Track.conf in the user's
// configuration folder; the three values sit in its [General] section as
// decimal numbers and a UTF-8 text. Changes are kept in memory and written
// once, atomically, when the key is closed.

namespace {

constexpr char kSection[] = "General";
// Our file holds three short lines; anything this large is not ours to rewrite.
constexpr off_t kMaxFileBytes = 64 * 1024;

struct SettingsFile {
    std::string path;
    mode_t mode = 0600;
    bool writable = true;
    bool changed = false;
    IniDocument document;
};

// A file that shrinks while being read gives what was there; a read error gives nothing.
bool readAll(int fd, off_t size, std::string& text) {
    text.resize(static_cast<size_t>(size));
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t got = read(fd, text.data() + done, text.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    text.resize(done);
    return true;
}

// Opens the file, or creates it empty as a registry key is created on first use.
bool load(SettingsFile& file) {
    int fd = open(file.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT)
        fd = open(file.path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    struct stat info {};
    std::string text;
    const bool usable = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                        info.st_size <= kMaxFileBytes && readAll(fd, info.st_size, text);
    close(fd);
    if (!usable)
        return false;
    file.mode = info.st_mode & 07777;
    // A file the user made read-only keeps its values: we read it and never replace it.
    file.writable = (info.st_mode & 0222) != 0;
    file.document.parse(text);
    // A settings file that is a link (kept with other dotfiles) is replaced at its target.
    if (char* target = realpath(file.path.c_str(), nullptr)) {
        file.path = target;
        std::free(target);
    }
    return true;
}

SettingsFile* fileOf(void* handle) {
    return static_cast<SettingsFile*>(handle);
}

// A DWORD is 32 bits: both "-1" and "4294967295" name the same value.
bool parseDword(const std::string& text, int32_t& value) {
    size_t pos = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    if (pos == text.size() || text.size() - pos > 10)
        return false;
    long long number = 0;
    for (; pos < text.size(); ++pos) {
        if (text[pos] < '0' || text[pos] > '9')
            return false;
        number = number * 10 + (text[pos] - '0');
    }
    if (text[0] == '-')
        number = -number;
    if (number < INT32_MIN || number > UINT32_MAX)
        return false;
    value = static_cast<int32_t>(static_cast<uint32_t>(number));
    return true;
}

} // namespace

CRegistryKey::CRegistryKey() {
    auto file = std::make_unique<SettingsFile>();
    const std::string folder = configFolder() + "/ZOR";
    makeFolders(folder, 0700);
    file->path = folder + "/ZOR7700Track.conf";
    if (!load(*file))
        return;
    hKey = file.release();
    isOpen = true;
}

CRegistryKey::~CRegistryKey() {
    if (!isOpen)
        return;
    SettingsFile* file = fileOf(hKey);
    if (file->changed && file->writable)
        replaceFileAtomically(file->path, file->document.text(), file->mode);
    delete file;
}

int32_t CRegistryKey::ReadDword(const char16_t* name, int32_t fallback) {
    std::string raw, text;
    int32_t value = 0;
    if (isOpen && fileOf(hKey)->document.find(kSection, utf8FromUtf16(name), raw) &&
        decodeIniText(raw, text) && parseDword(text, value))
        return value;
    return fallback;
}

void CRegistryKey::ReadString(const char16_t* name, char16_t (&buffer)[260]) {
    std::string raw, bytes;
    std::u16string text;
    buffer[0] = 0;
    // Like REG_SZ data with its terminator in 520 bytes: at most 259 characters.
    if (isOpen && fileOf(hKey)->document.find(kSection, utf8FromUtf16(name), raw) &&
        decodeIniText(raw, bytes) && utf16FromUtf8(bytes, text) && text.size() < 260) {
        text.copy(buffer, text.size());
        buffer[text.size()] = 0;
    }
    buffer[259] = 0;
}

void CRegistryKey::WriteDword(const char16_t* name, int32_t value) {
    if (!isOpen)
        return;
    fileOf(hKey)->document.set(kSection, utf8FromUtf16(name), std::to_string(value));
    fileOf(hKey)->changed = true;
}

void CRegistryKey::WriteString(const char16_t* name, const char16_t* text) {
    if (!isOpen)
        return;
    fileOf(hKey)->document.set(kSection, utf8FromUtf16(name), encodeIniText(utf8FromUtf16(text)));
    fileOf(hKey)->changed = true;
}
