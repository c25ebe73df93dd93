#include "path_checks.h"

#include "device/transfer_worker.h"
#include "support/file_system.h"
#include "support/output_file.h"
#include "support/utf8_text.h"

namespace {

bool toStandardOutput(const std::string& path) {
    return path == "-" || isStandardOutput(path);
}

// Two outputs in one file would ruin both; "-" names no file of its own.
bool sameTarget(const std::string& first, const std::string& second) {
    if (toStandardOutput(first) || toStandardOutput(second))
        return toStandardOutput(first) && toStandardOutput(second);
    return isSameFile(first, second);
}

} // namespace

int32_t checkPaths(const TransferOptions& options, std::string& message) {
    if (!options.rawPath.empty() && sameTarget(options.rawPath, options.outputPath)) {
        message = toStandardOutput(options.rawPath)
                      ? "only one of the outputs can go to standard output"
                      : "--raw and the output name the same file";
        return kExitUsage;
    }
    if (!options.capturePath.empty() && isSameFile(options.capturePath, options.outputPath)) {
        message = "the output would overwrite the --capture file";
        return kExitUsage;
    }
    // Asked without harm to an earlier file, so a typo costs no download.
    if (options.outputPath.empty())
        return kErrorNone;
    return OutputFile::accepts(textFromUtf8(options.outputPath)) ? kErrorNone : kErrorCreateFile;
}
