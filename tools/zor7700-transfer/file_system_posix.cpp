#include "file_system.h"

#include <cstdio>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The kernel gives up on longer chains too.
constexpr int kMaxLinkHops = 40;

} // namespace

std::string followLinks(const std::string& path) {
    fs::path current(path);
    std::error_code error;
    for (int hop = 0; hop < kMaxLinkHops && fs::is_symlink(fs::symlink_status(current, error));
         ++hop) {
        const fs::path target = fs::read_symlink(current, error);
        if (error)
            break;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current.string();
}

PathKind pathKind(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return PathKind::Missing;
    if (S_ISREG(info.st_mode))
        return PathKind::RegularFile;
    return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::Other;
}

bool isSameFile(const std::string& first, const std::string& second) {
    struct stat one {};
    struct stat two {};
    const bool firstExists = stat(first.c_str(), &one) == 0;
    const bool secondExists = stat(second.c_str(), &two) == 0;
    if (firstExists || secondExists)
        return firstExists && secondExists && one.st_dev == two.st_dev && one.st_ino == two.st_ino;
    std::error_code error;
    const fs::path resolvedFirst = fs::weakly_canonical(followLinks(first), error);
    const fs::path resolvedSecond = fs::weakly_canonical(followLinks(second), error);
    return !error && resolvedFirst == resolvedSecond;
}

// Hidden, so a file manager that happens to show the folder does not offer
// a half-written copy; readable like any file the tool writes directly.
std::string createFileBeside(const std::string& path) {
    fs::path folder = fs::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    std::string name = (folder / ".zor7700-XXXXXX").string();
    const int descriptor = mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0)
        return {};
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    close(descriptor);
    return name;
}

bool replaceFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool removeFile(const std::string& path) {
    return unlink(path.c_str()) == 0;
}
