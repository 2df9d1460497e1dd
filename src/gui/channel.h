// SPDX-License-Identifier: Apache-2.0
#pragma once
// The one COM port through which every command and reply of the window goes. The handle lives
// in g_session.portHandle; g_session.portOpen is the callers' business. A failed read or write
// shows the system's error box.
#include "port/serial_port.h"

// "\\.\" + name; false (nothing shown) when the port cannot be opened or configured.
bool OpenChannel(const char* portName, unsigned baudRate);
// One byte per read until a read returns nothing or capacity is reached.
bool ReadBytes(unsigned char* buffer, unsigned capacity, int* count);
// One write of the whole command; a short write is false without a message.
bool WriteBytes(const void* bytes, int length);
// Idempotent.
void CloseChannel();
