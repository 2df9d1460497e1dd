#include "serial/channel.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "app/message.h"
#include "config/uitext.h"
#include "session/session.h"

namespace {

constexpr char kDevicePrefix[] = "\\\\.\\";
// "\\.\" + the longest port name the session can hold, + terminator: COM1 to COM255 and
// every other name that fits kPortNameSize.
constexpr int kDevicePathSize = sizeof kDevicePrefix - 1 + kPortNameSize;
constexpr int kErrorTextSize = 512;

// Every read asks for one byte: an empty read comes back after 10 * 1 + 50 = 60 ms.
// A write of n bytes may take up to 10 * n + 50 ms.
constexpr DWORD kReadIntervalTimeoutMs = 50;
constexpr DWORD kReadTotalMultiplierMs = 10;
constexpr DWORD kReadTotalConstantMs = 50;
constexpr DWORD kWriteTotalMultiplierMs = 10;
constexpr DWORD kWriteTotalConstantMs = 50;

HANDLE PortHandle() { return static_cast<HANDLE>(g_session.portHandle); }

bool HoldsHandle() {
    HANDLE handle = PortHandle();
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// The system error box of a failed read or write: "Error [code] when ...".
void ShowIoError(const char* what, DWORD error) {
    char text[kErrorTextSize];
    std::snprintf(text, sizeof text, "%s [%d] %s", UiText[TextError], static_cast<int>(error), what);
    MessageBoxScope open;
    MessageBoxA(g_mainWindow, text, UiText[TextCaption], MB_ICONERROR | MB_OK);
}

// Time-outs and line settings of the reader's line; false when the driver refuses either.
bool ConfigurePort(HANDLE port, unsigned baudRate) {
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = kReadIntervalTimeoutMs;
    timeouts.ReadTotalTimeoutMultiplier = kReadTotalMultiplierMs;
    timeouts.ReadTotalTimeoutConstant = kReadTotalConstantMs;
    timeouts.WriteTotalTimeoutMultiplier = kWriteTotalMultiplierMs;
    timeouts.WriteTotalTimeoutConstant = kWriteTotalConstantMs;
    if (!SetCommTimeouts(port, &timeouts)) return false;

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

bool OpenChannel(const char* portName, unsigned baudRate) {
    // The channel holds one port: a handle still held here would otherwise be lost open.
    CloseChannel();
    g_session.portHandle = INVALID_HANDLE_VALUE;
    if (portName == nullptr) return false;

    // A name that does not fit the session's name buffer names no port we could open.
    char path[kDevicePathSize];
    int length = std::snprintf(path, sizeof path, "%s%s", kDevicePrefix, portName);
    if (length < 0 || length >= static_cast<int>(sizeof path)) return false;

    HANDLE port = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    g_session.portHandle = port;
    if (port == INVALID_HANDLE_VALUE) return false;

    // A port that refuses its settings is closed at once, so a failed open never keeps
    // the port held away from other programs, whatever the caller does next.
    if (!ConfigurePort(port, baudRate)) {
        CloseChannel();
        return false;
    }
    return true;
}

bool ReadBytes(unsigned char* buffer, unsigned capacity, int* count) {
    if (count != nullptr) *count = 0;
    if (buffer == nullptr || count == nullptr || capacity == 0) return false;

    unsigned received = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(PortHandle(), buffer + received, 1, &got, nullptr)) {
            ShowIoError(UiText[TextReadFailed], GetLastError());
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

bool WriteBytes(const void* bytes, int length) {
    if (bytes == nullptr || length < 0) return false;
    DWORD written = 0;
    if (!WriteFile(PortHandle(), bytes, static_cast<DWORD>(length), &written, nullptr)) {
        ShowIoError(UiText[TextWriteFailed], GetLastError());
        return false;
    }
    return written == static_cast<DWORD>(length);
}

void CloseChannel() {
    if (HoldsHandle()) CloseHandle(PortHandle());
    g_session.portHandle = INVALID_HANDLE_VALUE;
}
