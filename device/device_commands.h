#pragma once

#include "device/nmea_checksum.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// What the worker sends: "$" + body + "*HH\r\n", with the checksum worked
// out by the compiler, so the commands cannot drift from their text.
template <size_t N> struct Command {
    char bytes[N + 5];
    constexpr std::string_view text() const { return {bytes, N + 4}; }
};

template <size_t N> constexpr Command<N> makeCommand(const char (&text)[N]) {
    const SentenceEnding ending = sentenceEnding(std::string_view(text + 1, N - 2));
    Command<N> command{};
    for (size_t i = 0; i + 1 < N; ++i)
        command.bytes[i] = text[i];
    for (size_t i = 0; i < 5; ++i)
        command.bytes[N - 1 + i] = ending.text[i];
    return command;
}

// The ZOR 7700's three commands, 12 bytes each.
constexpr auto kVersionQuery = makeCommand("$PZOR,V");
constexpr auto kReadLogCommand = makeCommand("$PZOR,R");
constexpr auto kEraseCommand = makeCommand("$PZOR,C");
static_assert(kVersionQuery.text().size() == 12);

// A module's commands (docs/locus-modules.md); its acknowledgement $PMTK001
// names the command by its number.
constexpr auto kReleaseQuery = makeCommand("$PMTK605");
constexpr auto kStatusQuery = makeCommand("$PMTK183");
constexpr auto kTestPacket = makeCommand("$PMTK000");
constexpr auto kModuleDump = makeCommand("$PMTK622,1");
constexpr auto kModuleErase = makeCommand("$PMTK184,1");
constexpr auto kStartLogging = makeCommand("$PMTK185,0");
constexpr auto kStopLogging = makeCommand("$PMTK185,1");
constexpr int32_t kTestPacketNumber = 0;
constexpr int32_t kEraseNumber = 184;
constexpr int32_t kLoggingNumber = 185;
constexpr int32_t kIntervalNumber = 187;
// The acknowledgement's flag for a command that was carried out.
constexpr int32_t kSucceeded = 3;

inline std::string rateCommand(uint32_t rate) {
    return withChecksum("PMTK251," + std::to_string(rate));
}

inline std::string intervalCommand(int32_t seconds) {
    return withChecksum("PMTK187,1," + std::to_string(seconds));
}

// The commands that differ between the two kinds of logger, by DeviceFamily.
struct FamilyCommands {
    std::string_view readLog;
    std::string_view erase;
};
constexpr FamilyCommands kFamilyCommands[] = {
    {kReadLogCommand.text(), kEraseCommand.text()},
    {kModuleDump.text(), kModuleErase.text()},
};

// Where a module is looked for, in this order: the ZOR 7700's rate, the
// modules' usual default, then the rest from the fastest. The log is read at
// the fastest.
constexpr uint32_t kModuleRates[] = {57600, 9600, 115200, 38400, 19200, 4800};
constexpr uint32_t kFastRate = 115200;
