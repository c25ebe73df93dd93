#pragma once

#include "support/com_port_map_posix.h"

#include <cstdint>
#include <string>

// Why the POSIX serial link could not open a port, in words for a person;
// lastPortOpenFailure() (serial_port.h) hands the latest one to the tool.

// Kept for lastPortOpenFailure(); empty text after an open that worked.
void notePortOpenFailure(const std::string& text);

// "COM250 names no serial device", or the missing device (and the user's
// link that waits for it).
std::string portMissingText(int32_t portNumber, const ComPortRoots& roots);
// From open()'s error: no such device, permission denied (with the group to
// join), in use, or the system's own words.
std::string portOpenErrorText(const std::string& devicePath, int error);
// `holder`: the process that holds the port, 0 or less when unknown.
std::string portInUseText(const std::string& devicePath, int32_t holder);
// The line settings were refused: the system's own words.
std::string portSetUpErrorText(const std::string& devicePath, int error);
// A paired logger's socket did not connect: switched off or out of range,
// the adapter off, the connection or the pairing refused, or the system's
// own words.
std::string bluetoothConnectErrorText(const std::string& address, int32_t channel, int error);
