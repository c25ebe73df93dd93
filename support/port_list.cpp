#include "support/port_list.h"

namespace {

constexpr int32_t kDescriptionChars = 79;

char16_t upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

} // namespace

std::array<int32_t, PortList::kMaxPorts> PortList::filledWithMinusOne() {
    std::array<int32_t, kMaxPorts> numbers;
    numbers.fill(-1);
    return numbers;
}

void PortSlots::put(int32_t portNumber, const char16_t* description) {
    filled[portNumber] = true;
    descriptions[portNumber].Assign(description);
}

bool PortSlots::has(int32_t portNumber) const {
    return filled[portNumber];
}

void PortSlots::moveTo(PortList& ports) {
    for (CWStr& description : ports.descriptions)
        description = CWStr();
    ports.count = 0;
    for (int32_t port = 0; port < PortList::kMaxPorts; ++port) {
        if (!filled[port])
            continue;
        ports.portNumbers[ports.count] = port;
        ports.descriptions[ports.count] = descriptions[port];
        ++ports.count;
    }
    for (int32_t entry = ports.count; entry < PortList::kMaxPorts; ++entry)
        ports.portNumbers[entry] = -1;
}

void buildPortComboItems(const PortList& ports, int32_t comPort, PortComboItems& items) {
    items.texts[0].Assign(u"Select Serial Port ...");
    items.data[0] = PortComboItems::kPlaceholderData;
    items.count = 1;
    items.selection = 0;
    for (int32_t entry = 0; entry < ports.count; ++entry) {
        char16_t description[kDescriptionChars + 1];
        const char16_t* full = ports.descriptions[entry];
        int32_t length = 0;
        for (; length < kDescriptionChars && full[length] != 0; ++length)
            description[length] = full[length];
        description[length] = 0;
        items.texts[items.count].Format(u"COM%-3d - %s", ports.portNumbers[entry], description);
        items.data[items.count] = static_cast<uint32_t>(ports.portNumbers[entry]);
        if (ports.portNumbers[entry] == comPort)
            items.selection = items.count;
        ++items.count;
    }
    for (int32_t item = items.count; item < PortList::kMaxPorts + 1; ++item)
        items.texts[item] = CWStr();
}

bool IsAllDigits(const char16_t* text) {
    if (text[0] == 0)
        return false;
    for (; *text != 0; ++text)
        if (*text < u'0' || *text > u'9')
            return false;
    return true;
}

int32_t portNumberFromName(const char16_t* name) {
    if (wideLength(name) <= 3 || upper(name[0]) != u'C' || upper(name[1]) != u'O' ||
        upper(name[2]) != u'M' || !IsAllDigits(name + 3))
        return -1;
    // Digits beyond 255 can only grow the number, so it stops counting there.
    int32_t number = 0;
    for (const char16_t* digit = name + 3; *digit != 0 && number <= 255; ++digit)
        number = number * 10 + (*digit - u'0');
    return number <= 255 ? number : -1;
}
