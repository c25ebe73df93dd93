#include "output/track_file.h"

#include "device/transfer_error.h"
#include "support/output_file.h"

int32_t writeTrackFile(const TrackStore& store, const CWStr& path, TrackFormat format,
                       const std::function<bool()>& stopped) {
    OutputFile file;
    if (!file.create(path))
        return kErrorCreateFile;
    if (!writeTrack(store, file, format))
        return kErrorWriteFile;
    if (stopped())
        return kErrorStopped;
    // The file must be whole on disk before anything may erase the device's
    // copy, so a flush, close or move that fails is a failed write.
    return file.commit() ? kErrorNone : kErrorWriteFile;
}
