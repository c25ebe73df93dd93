#include "support/port_list.h"

#include "support/port_list_win32.h"

#include <algorithm>
#include <vector>

#include <setupapi.h>

namespace {

// The device interface class of COM ports.
const GUID kComPortInterface = {
    0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};
constexpr DWORD kDescriptionChars = 1024;

const char16_t* narrowed(const wchar_t* text) {
    return reinterpret_cast<const char16_t*>(text);
}

bool fail(DWORD error) {
    SetLastError(error);
    return false;
}

// A REG_SZ value read whole: the size is asked first, then the data is read
// into one character more, which also holds a missing terminator.
bool readText(HKEY key, const wchar_t* valueName, CWStr& text) {
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS)
        return fail(static_cast<DWORD>(status));
    if (type != REG_SZ)
        return fail(ERROR_INVALID_DATA);
    const DWORD bufferBytes = size + 2;
    std::vector<wchar_t> buffer(bufferBytes / 2 + 1, 0);
    DWORD received = bufferBytes;
    status = RegQueryValueExW(key, valueName, nullptr, &type,
                              reinterpret_cast<BYTE*>(buffer.data()), &received);
    if (status != ERROR_SUCCESS)
        return fail(static_cast<DWORD>(status));
    // The value grew between the two queries.
    if (received >= bufferBytes)
        return fail(ERROR_INVALID_DATA);
    buffer[received / sizeof(wchar_t)] = 0;
    text.Assign(narrowed(buffer.data()));
    return true;
}

// The device's description, terminated at the size the system returned:
// stored data need not end with a terminator, and what lies behind it in the
// buffer is whatever the stack held. Empty when it cannot be read.
const wchar_t* readDescription(HDEVINFO devices, SP_DEVINFO_DATA& device,
                               wchar_t (&description)[kDescriptionChars]) {
    DWORD bytes = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_DEVICEDESC, nullptr,
                                           reinterpret_cast<BYTE*>(description), sizeof description,
                                           &bytes))
        bytes = 0;
    description[std::min<DWORD>(bytes / sizeof(wchar_t), kDescriptionChars - 1)] = 0;
    return description;
}

// Devices that expose the COM port interface, with their device descriptions.
bool addInterfacePorts(PortSlots& slots) {
    HDEVINFO devices = SetupDiGetClassDevsW(&kComPortInterface, nullptr, nullptr,
                                            DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (devices == INVALID_HANDLE_VALUE)
        return false;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        HKEY key =
            SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        CWStr name;
        const int32_t port = ReadPortName(key, name) ? portNumberFromName(name) : -1;
        RegCloseKey(key);
        if (port < 0)
            continue;
        wchar_t description[kDescriptionChars];
        slots.put(port, narrowed(readDescription(devices, device, description)));
    }
    SetupDiDestroyDeviceInfoList(devices);
    return true;
}

// Ports the interface class misses (all of them under Wine, the virtual
// ports of some Bluetooth stacks) are still named in SERIALCOMM; the kernel
// device name there ("\Device\BthModem0") is the best description on offer.
void addSerialCommPorts(PortSlots& slots) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return;
    std::vector<wchar_t> valueName(16384);
    for (DWORD index = 0;; ++index) {
        DWORD nameChars = static_cast<DWORD>(valueName.size());
        const LSTATUS status = RegEnumValueW(key, index, valueName.data(), &nameChars, nullptr,
                                             nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
            break;
        CWStr name;
        const int32_t port = status == ERROR_SUCCESS && readText(key, valueName.data(), name)
                                 ? portNumberFromName(name)
                                 : -1;
        if (port >= 0 && !slots.has(port))
            slots.put(port, narrowed(valueName.data()));
    }
    RegCloseKey(key);
}

} // namespace

bool ReadPortName(HKEY key, CWStr& name) {
    return readText(key, L"PortName", name);
}

bool PortList::Refresh() {
    PortSlots slots;
    const bool listed = addInterfacePorts(slots);
    addSerialCommPorts(slots);
    slots.moveTo(*this);
    return listed;
}
