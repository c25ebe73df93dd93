#include "device/serial_port.h"

#include "support/cwstr.h"

#include <windows.h>

namespace {

HANDLE asHandle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// Built from zero rather than read from the port, so nothing a previous user
// of the port left behind (flow control, error characters) survives.
DCB lineSettings() {
    DCB settings;
    ZeroMemory(&settings, sizeof settings);
    settings.DCBlength = sizeof settings;
    settings.BaudRate = 57600;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    settings.fBinary = 1;
    settings.fDtrControl = DTR_CONTROL_DISABLE;
    settings.fRtsControl = RTS_CONTROL_DISABLE;
    return settings;
}

// Reads return at once with what has arrived; a write gives up after the
// time SerialPort allows it.
COMMTIMEOUTS lineTimeouts() {
    COMMTIMEOUTS timeouts;
    ZeroMemory(&timeouts, sizeof timeouts);
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = SerialPort::kWriteTimeoutPerByteMs;
    timeouts.WriteTotalTimeoutConstant = SerialPort::kWriteTimeoutMs;
    return timeouts;
}

} // namespace

bool SerialPort::open(int32_t portNumber) {
    close();
    // The device namespace reaches COM10 and above like COM1 to COM9.
    CWStr name;
    name.Format(u"\\\\.\\COM%i", portNumber);
    HANDLE port = CreateFileW(reinterpret_cast<const wchar_t*>(name.c_str()),
                              GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE)
        return false;
    DCB settings = lineSettings();
    COMMTIMEOUTS timeouts = lineTimeouts();
    if (!SetCommState(port, &settings) || !SetCommTimeouts(port, &timeouts)) {
        CloseHandle(port);
        return false;
    }
    handle = reinterpret_cast<intptr_t>(port);
    return true;
}

// Written bytes leave at the old rate first: a command that changes the
// module's rate must.
bool SerialPort::setLineRate(uint32_t baud) {
    if (!isOpen())
        return false;
    DCB settings = lineSettings();
    settings.BaudRate = baud;
    FlushFileBuffers(asHandle(handle));
    return SetCommState(asHandle(handle), &settings) != 0;
}

bool SerialPort::hasLineRate() const {
    return true;
}

bool SerialPort::read(uint8_t* buffer, uint32_t capacity, uint32_t& bytesRead) {
    DWORD got = 0;
    BOOL ok = ReadFile(asHandle(handle), buffer, capacity, &got, nullptr);
    bytesRead = ok ? got : 0;
    return ok != FALSE;
}

bool SerialPort::write(const void* data, uint32_t size) {
    DWORD written = 0;
    // A write time-out still returns TRUE, with fewer bytes written: half a
    // command is a failed one.
    return WriteFile(asHandle(handle), data, size, &written, nullptr) != FALSE && written == size;
}

void SerialPort::purgeReceive() {
    PurgeComm(asHandle(handle), PURGE_RXCLEAR);
}

void SerialPort::close() {
    if (handle == kInvalid)
        return;
    CloseHandle(asHandle(handle));
    handle = kInvalid;
}

// Windows gives every failed open the same few codes; the wizard's message
// says all there is.
std::string lastPortOpenFailure() {
    return {};
}
