#pragma once

#include <cstdint>
#include <functional>
#include <string>

// A stream to a paired Bluetooth device's serial port service: an RFCOMM
// socket, the way to a logger without `rfcomm bind` and without root. Used by
// the POSIX serial link only.

// Connects to channel `channel` of the device at `address`
// ("00:11:22:AA:BB:CC"): a connected descriptor, or -1 with errno saying why
// (EHOSTDOWN: switched off or out of range, EHOSTUNREACH: no adapter is on,
// ECONNREFUSED: refused, ETIMEDOUT after kRfcommConnectLimitMs).
constexpr int kRfcommConnectLimitMs = 10000;
int connectRfcomm(const std::string& address, int32_t channel);

// Tests stand in for the radio with one end of a socket pair; an empty
// function brings the radio back.
using RfcommConnector = std::function<int(const std::string& address, int32_t channel)>;
void setRfcommConnectorForTests(RfcommConnector connector);
