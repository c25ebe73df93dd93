#pragma once

#include <cstdint>
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

struct SimOptions {
    int32_t portNumber = -1; // -1: the lowest free number
    VersionReply reply = VersionReply::FirstForm;
    uint32_t replyDelayMs = 0;
    bool fast = false;
    bool chatter = true;
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
