#include "support/file_system.h"

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

bool isStandardOutput(const std::string& path) {
    struct stat named {};
    struct stat output {};
    return stat(path.c_str(), &named) == 0 && fstat(STDOUT_FILENO, &output) == 0 &&
           named.st_dev == output.st_dev && named.st_ino == output.st_ino;
}

std::string folderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}
