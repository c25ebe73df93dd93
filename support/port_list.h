#pragma once

#include "support/cwstr.h"

#include <array>
#include <cstdint>

// The present COM ports with their device descriptions, in ascending port order.
class PortList {
public:
    static constexpr int32_t kMaxPorts = 256;

    // Rebuilds the table from the system; false when the system's device list
    // could not be read (the table is then empty).
    bool Refresh();

    int32_t count = 0;
    std::array<int32_t, kMaxPorts> portNumbers = filledWithMinusOne();
    std::array<CWStr, kMaxPorts> descriptions;

private:
    static std::array<int32_t, kMaxPorts> filledWithMinusOne();
};

// What one Refresh finds, one slot per port number, in whatever order the
// system enumerates: a later find of a number replaces the earlier one.
class PortSlots {
public:
    void put(int32_t portNumber, const char16_t* description);
    bool has(int32_t portNumber) const;
    // Releases the list's old texts and fills it from the slots in ascending order.
    void moveTo(PortList& ports);

private:
    std::array<bool, PortList::kMaxPorts> filled{};
    std::array<CWStr, PortList::kMaxPorts> descriptions;
};

// What the port page's drop-down list shows: the placeholder, then one item
// per port, and the position to select.
struct PortComboItems {
    static constexpr uint32_t kPlaceholderData = 65280;
    int32_t count = 0;
    std::array<CWStr, PortList::kMaxPorts + 1> texts;
    std::array<uint32_t, PortList::kMaxPorts + 1> data{};
    int32_t selection = 0;
};
void buildPortComboItems(const PortList& ports, int32_t comPort, PortComboItems& items);

// True when the text is non-empty and made of the digits 0 to 9 only.
bool IsAllDigits(const char16_t* text);

// The port a name like "COM3" stands for: "COM" in any case, then decimal
// digits (leading zeros allowed), at most 255; -1 for any other name.
int32_t portNumberFromName(const char16_t* name);
