#pragma once

#include <string>
#include <vector>

// A Bluetooth device that the desktop has paired and that offers the serial
// port profile: a logger the program can reach without `rfcomm bind`.
struct PairedDevice {
    std::string address; // "00:11:22:AA:BB:CC"
    std::string name;    // the name the desktop shows for it (UTF-8), may be empty
};

// The paired serial-port devices that BlueZ knows, asked over the system
// D-Bus, in address order. Without a system bus or without BlueZ on it the
// answer is none, at once; a bus that does not answer costs at most
// kBluetoothQueryLimitMs. Used by the POSIX port discovery only.
constexpr int kBluetoothQueryLimitMs = 500;
std::vector<PairedDevice> pairedSerialDevices();
