#include "support/bluetooth_ports_posix.h"

#include "support/atomic_file_posix.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

// Past the fixed blocks (1 to 128), which ports of their own name.
constexpr int32_t kFirstNumber = 129;
constexpr int32_t kHighestNumber = 255;
constexpr int32_t kHighestChannel = 30;
constexpr char kHeader[] = "# COM numbers of paired Bluetooth loggers: NUMBER ADDRESS CHANNEL\n";

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool readNumber(const std::string& text, int32_t lowest, int32_t highest, int32_t& value) {
    if (text.empty() || text.size() > 3 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoi(text);
    return value >= lowest && value <= highest;
}

// False for a blank line, a comment or a line that does not read as a port.
bool parseLine(const std::string& line, BluetoothPort& port) {
    std::istringstream fields(line.substr(0, line.find('#')));
    std::vector<std::string> words;
    for (std::string word; fields >> word;)
        words.push_back(word);
    if (words.size() < 2 || words.size() > 3)
        return false;
    port.address = bluetoothAddress(words[1]);
    return readNumber(words[0], 0, kHighestNumber, port.number) && !port.address.empty() &&
           (words.size() == 2 || readNumber(words[2], 1, kHighestChannel, port.channel));
}

// A number is free when no user link and no fixed block names it and no
// earlier line took it.
bool isFree(int32_t number, const std::vector<BluetoothPort>& taken, const ComPortRoots& roots) {
    return comPortNominalPath(number, roots).empty() &&
           std::none_of(taken.begin(), taken.end(),
                        [number](const BluetoothPort& port) { return port.number == number; });
}

const BluetoothPort* portOf(const std::string& address, const std::vector<BluetoothPort>& ports) {
    for (const BluetoothPort& port : ports) {
        if (port.address == address)
            return &port;
    }
    return nullptr;
}

std::vector<BluetoothPort> usablePorts(const std::string& text, const ComPortRoots& roots) {
    std::vector<BluetoothPort> ports;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        BluetoothPort port;
        if (parseLine(line, port) && isFree(port.number, ports, roots) &&
            portOf(port.address, ports) == nullptr)
            ports.push_back(port);
    }
    return ports;
}

int32_t lowestFreeNumber(const std::vector<BluetoothPort>& taken, const ComPortRoots& roots) {
    for (int32_t number = kFirstNumber; number <= kHighestNumber; ++number) {
        if (isFree(number, taken, roots))
            return number;
    }
    return -1;
}

// The user's lines and comments stay as they are; new lines go at the end.
bool appendPorts(const ComPortRoots& roots, std::string text,
                 const std::vector<BluetoothPort>& ports) {
    if (text.empty())
        text = kHeader;
    else if (text.back() != '\n')
        text += '\n';
    for (const BluetoothPort& port : ports) {
        text += std::to_string(port.number) + " " + port.address + " " +
                std::to_string(port.channel) + "\n";
    }
    return makeFolders(roots.userPortsDir, 0755) &&
           replaceFileAtomically(bluetoothPortsFile(roots), text, 0644);
}

} // namespace

std::string bluetoothPortsFile(const ComPortRoots& roots) {
    return roots.userPortsDir + "/bluetooth";
}

std::vector<BluetoothPort> readBluetoothPorts(const ComPortRoots& roots) {
    return usablePorts(fileText(bluetoothPortsFile(roots)), roots);
}

bool findBluetoothPort(int32_t portNumber, const ComPortRoots& roots, BluetoothPort& port) {
    for (const BluetoothPort& candidate : readBluetoothPorts(roots)) {
        if (candidate.number == portNumber) {
            port = candidate;
            return true;
        }
    }
    return false;
}

std::vector<BluetoothPort> assignBluetoothPorts(const std::vector<std::string>& addresses,
                                                const ComPortRoots& roots) {
    std::string text = fileText(bluetoothPortsFile(roots));
    std::vector<BluetoothPort> known = usablePorts(text, roots);
    std::vector<BluetoothPort> fresh;
    for (const std::string& address : addresses) {
        BluetoothPort port{-1, bluetoothAddress(address), 1};
        if (port.address.empty() || portOf(port.address, known) != nullptr)
            continue;
        port.number = lowestFreeNumber(known, roots);
        if (port.number < 0)
            continue;
        known.push_back(port);
        fresh.push_back(port);
    }
    // A number that could not be kept would change on the next start.
    bool kept = fresh.empty() || appendPorts(roots, text, fresh);
    std::vector<BluetoothPort> assigned;
    for (const std::string& address : addresses) {
        const BluetoothPort* port = portOf(bluetoothAddress(address), known);
        bool usable = port != nullptr && (kept || portOf(port->address, fresh) == nullptr);
        assigned.push_back(usable ? *port : BluetoothPort{-1, bluetoothAddress(address), 1});
    }
    return assigned;
}

std::string bluetoothAddress(const std::string& text) {
    if (text.size() != 17)
        return {};
    std::string address = text;
    for (size_t i = 0; i < address.size(); ++i) {
        char& c = address[i];
        bool colonPlace = i % 3 == 2;
        if (colonPlace != (c == ':'))
            return {};
        if (c >= 'a' && c <= 'f')
            c = static_cast<char>(c - 'a' + 'A');
        if (!colonPlace && !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return {};
    }
    return address;
}
