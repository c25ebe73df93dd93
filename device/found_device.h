#pragma once

#include <cstdint>
#include <string>

// The two kinds of logger the worker reads: the ZOR 7700, and the GPS modules
// with the same LOCUS log memory, wired to a serial port.
enum class DeviceFamily : int32_t { Zor7700 = 0, Module = 1 };

// Which kind a run looks for: the ZOR 7700 first, and a module when the port
// talks but no ZOR 7700 answered (Auto); or only one of them.
enum class DeviceChoice { Auto, Zor7700, Module };

// How a run finds its device; the wizard leaves it as it is.
struct DeviceSearch {
    DeviceChoice choice = DeviceChoice::Auto;
    // A module's line rate, when known: no search over the rates then.
    uint32_t lineRate = 0;
};

// A module's log status ($PMTKLOG).
struct LoggerStatus {
    bool known = false;
    bool logging = false;
    int32_t intervalSeconds = 0;
    int32_t records = 0;
    int32_t percentUsed = 0;
    uint32_t content = 0;
};

// What the run found, before it waits for the go-ahead.
struct FoundDevice {
    DeviceFamily family = DeviceFamily::Zor7700;
    // The rate it was found at, and set back to after the run.
    uint32_t lineRate = 57600;
    std::string model; // a module's, from its release reply
    LoggerStatus status;
};

// What the tool asks of a module besides (or instead of) its log; the
// ZOR 7700 has no such commands. A download never changes the logging.
struct LoggingRequest {
    bool start = false;
    bool stop = false;
    int32_t intervalSeconds = 0; // 0: left as it is
    bool any() const { return start || stop || intervalSeconds > 0; }
};
