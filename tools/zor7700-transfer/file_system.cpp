#include "file_system.h"

bool prepareReplacement(const std::string& path, std::string& target, std::string& temporary) {
    target = followLinks(path);
    temporary.clear();
    const PathKind kind = pathKind(target);
    if (kind == PathKind::Folder)
        return false;
    if (kind == PathKind::Other)
        return true;
    temporary = createFileBeside(target);
    return !temporary.empty();
}
