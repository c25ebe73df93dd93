#include "support/atomic_file_posix.h"

#include "support/output_file.h"
#include "support/utf8_text.h"

#include <sys/stat.h>

namespace {

bool isFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

// Each level is tried in turn; one that exists already is no failure.
bool makeFolders(const std::string& folder, mode_t mode) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        mkdir(folder.substr(0, slash).c_str(), mode);
        if (slash == std::string::npos)
            return isFolder(folder);
    }
}

bool replaceFileAtomically(const std::string& path, const std::string& text, mode_t mode) {
    OutputFile file;
    return file.create(textFromUtf8(path), mode) &&
           file.write(text.data(), static_cast<uint32_t>(text.size())) && file.commit();
}
