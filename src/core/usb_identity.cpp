// SPDX-License-Identifier: Apache-2.0
#include "core/usb_identity.h"

#include <cstdio>
#include <cstring>

#include "core/port_names.h"

namespace {

constexpr int kComPrefixLength = 3;

unsigned FoldAscii(unsigned c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

}  // namespace

void BuildUsbIdentity(char* out, const char* vendor, const char* product, const char* revision) {
    std::snprintf(out, kUsbIdentitySize, "USB\\VID_%s&PID_%s&REV_%s", vendor, product, revision);
}

void BuildUsbIdentityAlt(char* out, const char* vendor, const char* product, const char* revision) {
    std::snprintf(out, kUsbIdentitySize, "USB\\Vid_%s&Pid_%s&Rev_%s", vendor, product, revision);
}

bool HardwareIdMatches(const char* hardwareId, const char* identity, const char* identityAlt) {
    return std::strncmp(hardwareId, identity, kUsbIdentityCompare) == 0 ||
           std::strncmp(hardwareId, identityAlt, kUsbIdentityCompare) == 0;
}

bool IsUsbReaderHardwareId(const char* hardwareId) {
    if (hardwareId == nullptr) return false;
    char identity[kUsbIdentitySize];
    char identityAlt[kUsbIdentitySize];
    BuildUsbIdentity(identity, kUsbReaderVendor, kUsbReaderProduct, kUsbReaderRevision);
    BuildUsbIdentityAlt(identityAlt, kUsbReaderVendorMixed, kUsbReaderProduct, kUsbReaderRevision);
    return HardwareIdMatches(hardwareId, identity, identityAlt);
}

bool IsUsbReaderDevice(const char* vendor, const char* product, const char* revision) {
    if (vendor == nullptr || product == nullptr || revision == nullptr) return false;
    // The id the device would have on Windows, in its upper-case form; "0200" has no letters.
    char hardwareId[kUsbIdentitySize];
    BuildUsbIdentity(hardwareId, vendor, product, revision);
    for (char* c = hardwareId; *c != 0; ++c) *c = static_cast<char>(FoldAscii(static_cast<unsigned char>(*c)));
    // Exactly the identity: a part with more digits would otherwise pass as a continuation.
    return std::strlen(hardwareId) == static_cast<std::size_t>(kUsbIdentityCompare) && IsUsbReaderHardwareId(hardwareId);
}

bool UsbPortNameAcceptable(const std::uint16_t* portName) {
    static const char kCom[] = "COM";
    for (int i = 0; i < kComPrefixLength; ++i) {
        // A shorter name meets its terminator here and fails the comparison.
        if (FoldAscii(portName[i]) != static_cast<unsigned>(kCom[i])) return false;
    }
    return ParseLeadingInt(portName + kComPrefixLength) != 0;
}
