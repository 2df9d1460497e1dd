#pragma once
// The USB reader's hardware identity and the checks on a device's port name, independent of
// the window system.
#include <cstddef>
#include <cstdint>

// The Vireo-4-USB's USB identity: vendor and product id (hexadecimal) and revision.
constexpr const char kUsbReaderVendor[] = "2E3C";
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

// A "PortName" value is taken when it begins with "COM" in any letter case and the characters
// after it read (like _wtoi) as a non-zero number.
bool UsbPortNameAcceptable(const std::uint16_t* portName);
