#include "app/file_path.h"

namespace {

constexpr int32_t kFolderChars = 260;

bool isSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

// Length of the folder part: up to the last separator, keeping it when it is
// the root's own ("/" or "C:\").
int32_t folderLength(const char16_t* path) {
    int32_t lastSeparator = -1;
    for (int32_t i = 0; path[i] != 0; ++i) {
        if (isSeparator(path[i])) {
            lastSeparator = i;
        }
    }
    if (lastSeparator < 0) {
        return 0;
    }
    const bool isRoot = lastSeparator == 0 || (lastSeparator == 2 && path[1] == u':');
    return isRoot ? lastSeparator + 1 : lastSeparator;
}

} // namespace

void copyFolderOf(const char16_t* path, char16_t (&folder)[260]) {
    int32_t length = folderLength(path);
    if (length > kFolderChars - 1) {
        length = kFolderChars - 1;
    }
    for (int32_t i = 0; i < length; ++i) {
        folder[i] = path[i];
    }
    folder[length] = 0;
}
