#include "path_checks.h"

#include "file_system.h"

#include "device/transfer_worker.h"

namespace {

// Tried with a file of our own, never by opening the output itself, which
// would cut an earlier file short before the run has anything to replace it
// with. A device or FIFO is left to the run.
bool acceptsNewFile(const std::string& path) {
    std::string target;
    std::string probe;
    return prepareReplacement(path, target, probe) && (probe.empty() || removeFile(probe));
}

} // namespace

int32_t checkPaths(const TransferOptions& options, std::string& message) {
    if (!options.rawPath.empty() && isSameFile(options.rawPath, options.outputPath)) {
        message = "--raw and the output name the same file";
        return kExitUsage;
    }
    if (!options.capturePath.empty() && isSameFile(options.capturePath, options.outputPath)) {
        message = "the output would overwrite the --capture file";
        return kExitUsage;
    }
    return acceptsNewFile(options.outputPath) ? kErrorNone : kErrorCreateFile;
}
