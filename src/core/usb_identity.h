// SPDX-License-Identifier: Apache-2.0
#pragma once
// The USB reader's hardware identity and the checks on a device's port name, independent of
// the window system.
#include <cstddef>
#include <cstdint>
#include <string>

// The USB reader is the device with this vendor, product and revision (hex digits), on every
// system: USB\VID_2E3C&PID_5750&REV_0200. The mixed-case form writes the vendor in lower case.
constexpr const char kUsbReaderVendor[] = "2E3C";
constexpr const char kUsbReaderVendorMixed[] = "2e3c";
constexpr const char kUsbReaderProduct[] = "5750";
constexpr const char kUsbReaderRevision[] = "0200";

constexpr int kUsbIdentitySize = 80;     // buffer of each built identity
constexpr int kUsbIdentityCompare = 30;  // characters compared: the length of both forms

// "USB\VID_" vendor "&PID_" product "&REV_" revision (the upper-case form), or with the labels
// "Vid_", "Pid_", "Rev_" (the mixed-case form). Always terminated within kUsbIdentitySize.
void BuildUsbIdentity(char* out, const char* vendor, const char* product, const char* revision);
void BuildUsbIdentityAlt(char* out, const char* vendor, const char* product, const char* revision);

// A narrowed hardware id matches when its first 30 characters equal either identity exactly
// (case-sensitive); an id that continues past them matches too.
bool HardwareIdMatches(const char* hardwareId, const char* identity, const char* identityAlt);

// True when a hardware id names the USB reader: HardwareIdMatches against both forms of its
// identity.
bool IsUsbReaderHardwareId(const char* hardwareId);
// True when a device's vendor, product and revision (hex digits in either case, as Linux's
// sysfs gives idVendor, idProduct and bcdDevice) are the USB reader's.
bool IsUsbReaderDevice(const char* vendor, const char* product, const char* revision);

// The USB serial number in a device instance id, "USB\VID_2E3C&PID_5750\VR0001": its last
// component. Windows makes one up ("5&2C3F1A&0&2", always with '&') for a device without a
// serial number; then, or when there is no component, the result is empty.
std::string UsbSerialFromInstanceId(const char* instanceId);

// A "PortName" value is taken when it begins with "COM" in any letter case and the characters
// after it read (like _wtoi) as a non-zero number.
bool UsbPortNameAcceptable(const std::uint16_t* portName);
