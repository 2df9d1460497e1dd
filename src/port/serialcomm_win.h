// SPDX-License-Identifier: Apache-2.0
#pragma once
// The COM ports the system lists under HKLM\HARDWARE\DEVICEMAP\SERIALCOMM: one REG_SZ value
// per port, in the registry's enumeration order.
#include <cstdint>

using SerialCommPortFn = void (*)(const std::uint16_t* text, void* context);

// Calls each with the zero-terminated text of every REG_SZ value, whatever its length, and
// returns the number of values of any type; -1 when the key cannot be opened.
int ForEachSerialCommPort(SerialCommPortFn each, void* context);

// True when a value's text, narrowed by low byte, equals name exactly: the whole registry text
// is compared, however long, with no narrowing buffer to overflow.
bool SerialCommPortPresent(const char* name);
