// SPDX-License-Identifier: Apache-2.0
#include "port/serial_port.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "core/port_names.h"

namespace {

constexpr char kDevicePrefix[] = "\\\\.\\";
// "\\.\" + the longest port name a session holds, + terminator: COM1 to COM255 and every other
// name that fits kPortNameSize.
constexpr int kDevicePathSize = sizeof kDevicePrefix - 1 + kPortNameSize;

// Every read asks for one byte: an empty read comes back after 10 * 1 + 50 = 60 ms.
// A write of n bytes may take up to 10 * n + 50 ms.
constexpr DWORD kReadIntervalTimeoutMs = 50;
constexpr DWORD kReadTotalMultiplierMs = 10;
constexpr DWORD kReadTotalConstantMs = 50;
constexpr DWORD kWriteTotalMultiplierMs = 10;
constexpr DWORD kWriteTotalConstantMs = 50;

HANDLE Handle(const SerialPort* port) { return reinterpret_cast<HANDLE>(port->handle); }

bool HoldsHandle(const SerialPort* port) {
    HANDLE handle = Handle(port);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

void Fail(PortError* error, PortFailure what, DWORD code) {
    if (error != nullptr) *error = PortError{what, code};
}

PortFailure OpenFailure(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return PortFailure::NotFound;
        case ERROR_ACCESS_DENIED: return PortFailure::Busy;  // a COM port held elsewhere says this
        case ERROR_SHARING_VIOLATION: return PortFailure::Busy;
        default: return PortFailure::Open;
    }
}

bool SetTimeouts(HANDLE handle, DWORD interval, DWORD multiplier, DWORD constant) {
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = interval;
    timeouts.ReadTotalTimeoutMultiplier = multiplier;
    timeouts.ReadTotalTimeoutConstant = constant;
    timeouts.WriteTotalTimeoutMultiplier = kWriteTotalMultiplierMs;
    timeouts.WriteTotalTimeoutConstant = kWriteTotalConstantMs;
    return SetCommTimeouts(handle, &timeouts) != FALSE;
}

// Time-outs and line settings of the reader's line; false when the driver refuses either.
bool ConfigurePort(HANDLE port, unsigned baudRate) {
    if (!SetTimeouts(port, kReadIntervalTimeoutMs, kReadTotalMultiplierMs, kReadTotalConstantMs)) return false;

    // Flow control, XON/XOFF and DTR/RTS stay as the driver reports them.
    DCB line;
    std::memset(&line, 0, sizeof line);
    line.DCBlength = sizeof line;
    if (!GetCommState(port, &line)) return false;
    line.BaudRate = baudRate;
    line.ByteSize = 8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    return SetCommState(port, &line) != FALSE;
}

}  // namespace

bool OpenSerialPort(SerialPort* port, const char* name, unsigned baudRate, PortError* error) {
    Fail(error, PortFailure::None, 0);
    // The value holds one port: a handle still held here would otherwise be lost open.
    CloseSerialPort(port);
    if (name == nullptr) {
        Fail(error, PortFailure::NotFound, 0);
        return false;
    }

    // A name that does not fit names no port we could open: it is refused, never cut.
    char path[kDevicePathSize];
    int length = std::snprintf(path, sizeof path, "%s%s", kDevicePrefix, name);
    if (length < 0 || length >= static_cast<int>(sizeof path)) {
        Fail(error, PortFailure::NotFound, 0);
        return false;
    }

    HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    port->handle = reinterpret_cast<std::intptr_t>(handle);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        Fail(error, OpenFailure(code), code);
        return false;
    }

    // A port that refuses its settings is closed at once, so a failed open never keeps
    // the port held away from other programs, whatever the caller does next.
    if (!ConfigurePort(handle, baudRate)) {
        Fail(error, PortFailure::Configure, GetLastError());
        CloseSerialPort(port);
        return false;
    }
    return true;
}

bool ReadUntilSilence(SerialPort* port, unsigned char* buffer, unsigned capacity, int* count, PortError* error) {
    Fail(error, PortFailure::None, 0);
    if (count != nullptr) *count = 0;
    if (buffer == nullptr || count == nullptr || capacity == 0) return false;

    unsigned received = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(Handle(port), buffer + received, 1, &got, nullptr)) {
            Fail(error, PortFailure::Read, GetLastError());
            return false;
        }
        if (got == 0) break;  // 60 ms without a byte: the reply is over
        ++received;
        if (received == capacity) break;  // the rest stays queued for the next read
    }
    if (received == 0) return false;
    *count = static_cast<int>(received);
    return true;
}

bool ReadAvailable(SerialPort* port, unsigned char* buffer, unsigned capacity, int timeoutMs, int* count,
                   PortError* error) {
    Fail(error, PortFailure::None, 0);
    *count = 0;
    if (buffer == nullptr || capacity == 0) return true;
    // MAXDWORD, MAXDWORD, t: the read returns as soon as a byte is there, or empty after t.
    const DWORD wait = timeoutMs > 0 ? static_cast<DWORD>(timeoutMs) : 1;
    if (!SetTimeouts(Handle(port), MAXDWORD, MAXDWORD, wait)) {
        Fail(error, PortFailure::Read, GetLastError());
        return false;
    }
    DWORD got = 0;
    if (!ReadFile(Handle(port), buffer, capacity, &got, nullptr)) {
        Fail(error, PortFailure::Read, GetLastError());
        return false;
    }
    *count = static_cast<int>(got);
    return true;
}

bool WriteSerialBytes(SerialPort* port, const void* bytes, int length, PortError* error) {
    Fail(error, PortFailure::None, 0);
    if (bytes == nullptr || length < 0) return false;
    DWORD written = 0;
    if (!WriteFile(Handle(port), bytes, static_cast<DWORD>(length), &written, nullptr)) {
        Fail(error, PortFailure::Write, GetLastError());
        return false;
    }
    return written == static_cast<DWORD>(length);
}

void CloseSerialPort(SerialPort* port) {
    if (HoldsHandle(port)) CloseHandle(Handle(port));
    port->handle = kNoPort;
}
