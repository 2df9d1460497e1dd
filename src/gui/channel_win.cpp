// SPDX-License-Identifier: Apache-2.0
#include "gui/channel.h"

#include <windows.h>

#include <cstdio>

#include "gui/app.h"
#include "gui/message.h"
#include "gui/session.h"
#include "gui/texts.h"

namespace {

constexpr int kErrorTextSize = 512;

SerialPort SessionPort() { return SerialPort{reinterpret_cast<std::intptr_t>(g_session.portHandle)}; }

void KeepPort(const SerialPort& port) { g_session.portHandle = reinterpret_cast<void*>(port.handle); }

// The system error box of a failed read or write: "Error [code] when ...".
void ShowIoError(const PortError& error) {
    const char* what = UiText[error.what == PortFailure::Read ? TextReadFailed : TextWriteFailed];
    char text[kErrorTextSize];
    std::snprintf(text, sizeof text, "%s [%d] %s", UiText[TextError], static_cast<int>(error.code), what);
    BeginMessageBox();
    MessageBoxA(g_mainWindow, text, UiText[TextCaption], MB_ICONERROR | MB_OK);
    EndMessageBox();
}

}  // namespace

bool OpenChannel(const char* portName, unsigned baudRate) {
    SerialPort port = SessionPort();
    PortError error;
    const bool opened = OpenSerialPort(&port, portName, baudRate, &error);
    KeepPort(port);
    return opened;
}

bool ReadBytes(unsigned char* buffer, unsigned capacity, int* count) {
    SerialPort port = SessionPort();
    PortError error;
    const bool read = ReadUntilSilence(&port, buffer, capacity, count, &error);
    if (error.what != PortFailure::None) ShowIoError(error);
    return read;
}

bool WriteBytes(const void* bytes, int length) {
    SerialPort port = SessionPort();
    PortError error;
    const bool written = WriteSerialBytes(&port, bytes, length, &error);
    if (error.what != PortFailure::None) ShowIoError(error);
    return written;
}

void CloseChannel() {
    SerialPort port = SessionPort();
    CloseSerialPort(&port);
    KeepPort(port);
}
