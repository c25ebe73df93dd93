#pragma once

#include "device/log_format.h"

#include <cstdint>
#include <map>
#include <string>

// How the simulated device answers the version query.
enum class VersionReply { FirstForm, SecondForm, WrongForm, BadChecksum, None };

// Where the simulated log memory comes from.
enum class LogSource { BuiltIn, Capture, Gpx, Records, Generated, Empty };

// Faults the dump can suffer on its way out; line numbers count data lines
// from 0 in the order the memory holds them, -1 or 0 turns a fault off.
struct FaultPlan {
    int32_t silenceAfter = -1; // data lines sent before the device falls silent
    int32_t hangUpAfter = -1;  // data lines sent before the line is cut
    int32_t corruptEvery = 0;  // every k-th data line carries a wrong checksum
    int32_t dropLine = -1;
    int32_t repeatLine = -1;
    int32_t swapLine = -1;       // this line goes out after the next one
    bool shortFinalLine = false; // the last data line carries 16 words only
};

// Which logger the simulator plays.
enum class DeviceKind { Zor, Locus };

// The line rates a LOCUS module takes ($PMTK251, --baud).
bool isModuleRate(uint32_t baud);

// The $PMTK001 flag of an acknowledgement the module leaves out.
constexpr int32_t kNoAcknowledgement = -1;

// How the simulated LOCUS module is set up and which faults it has.
struct ModuleOptions {
    std::string model = "PA6H";
    uint32_t baud = 9600;
    uint32_t content = kBasicContent; // the record layout its sector headers name
    bool statusReply = true;
    bool restartAfterErase = false;
    bool refuseRate = false; // ignores $PMTK251
    // Flags other than the default: 3 (success) for every command but the
    // rate change, which most modules do not acknowledge.
    std::map<int32_t, int32_t> acknowledgements;

    int32_t acknowledgementOf(int32_t command) const;
};

struct SimOptions {
    DeviceKind device = DeviceKind::Zor;
    ModuleOptions module;
    int32_t portNumber = -1; // -1: the lowest free number
    VersionReply reply = VersionReply::FirstForm;
    uint32_t replyDelayMs = 0;
    bool fast = false;
    bool chatter = true;
    uint32_t chatterEveryMs = 1000;
    LogSource logSource = LogSource::BuiltIn;
    std::string logPath;
    int32_t generateRecords = 0;
    std::string reportPath;
    bool wine = false;
    std::string winePrefix; // empty: WINEPREFIX, then ~/.wine
    FaultPlan faults;
    bool help = false;
};

// False with a message in `error` for an unknown option or a bad value.
bool parseSimOptions(int argc, char** argv, SimOptions& options, std::string& error);
std::string simUsage();
