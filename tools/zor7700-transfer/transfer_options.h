#pragma once

#include "device/found_device.h"
#include "support/track_format.h"

#include <cstdint>
#include <string>
#include <vector>

// What the command line asks for: a transfer from a device (--port) or the
// conversion of a saved dump (--capture), into one KML, NMEA or GPX file; or,
// of a device, only its status or a change of a module's logging.
struct TransferOptions {
    int32_t portNumber = -1;
    std::string capturePath;
    std::string outputPath;
    TrackFormat trackFormat = TrackFormat::Kml;
    bool erase = false;
    std::string rawPath;
    bool listPorts = false;
    bool help = false;
    DeviceSearch search;
    bool status = false;
    LoggingRequest logging;

    // Neither a track nor a conversion: the device's status or its logging.
    bool managesDevice() const { return status || logging.any(); }
};

// Exit codes of our own, beside the run's error codes 0 to 9.
constexpr int kExitIncompleteDump = 10;   // file written from a damaged dump, memory kept
constexpr int kExitEraseUnconfirmed = 11; // file written, the module did not confirm the erase
constexpr int kExitUsage = 64;            // the command line is wrong
constexpr int kExitNoCapture = 66;        // the capture file cannot be read

// `arguments` without the program name; false with a message in `error`.
bool parseTransferOptions(const std::vector<std::string>& arguments, TransferOptions& options,
                          std::string& error);
std::string transferUsage();
