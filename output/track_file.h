#pragma once

#include "device/track_store.h"
#include "output/track_writer.h"
#include "support/cwstr.h"

#include <cstdint>
#include <functional>

// Writes the store in `format` as a whole file at `path` (OutputFile), for
// the worker and the tool's conversion alike. The run's code: 0;
// kErrorCreateFile when the file cannot be created; kErrorWriteFile when a
// write or putting the file in place failed; kErrorStopped when `stopped`
// says so before the file is put in place. An earlier file stays as it was
// unless the result is 0.
int32_t writeTrackFile(const TrackStore& store, const CWStr& path, TrackFormat format,
                       const std::function<bool()>& stopped);
