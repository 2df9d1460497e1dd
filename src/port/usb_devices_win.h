// SPDX-License-Identifier: Apache-2.0
#pragma once
// The present devices of the "USB" enumerator with a COM port, through the device installation
// functions: the first string of each device's hardware id, its "PortName" and its instance id
// (empty when it cannot be had), all UTF-16.
#include <cstdint>

using UsbSerialDeviceFn = void (*)(const std::uint16_t* hardwareId, const std::uint16_t* portName,
                                   const std::uint16_t* instanceId, void* context);

// Calls each for every device whose "PortName" is a COM port name ("COM" in any case and a
// non-zero number). A device whose key cannot be opened ends the walk with what was found so
// far. False when the device list cannot be had.
bool WalkUsbSerialDevices(UsbSerialDeviceFn each, void* context);
