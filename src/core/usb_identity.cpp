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

bool UsbPortNameAcceptable(const std::uint16_t* portName) {
    static const char kCom[] = "COM";
    for (int i = 0; i < kComPrefixLength; ++i) {
        // A shorter name meets its terminator here and fails the comparison.
        if (FoldAscii(portName[i]) != static_cast<unsigned>(kCom[i])) return false;
    }
    return ParseLeadingInt(portName + kComPrefixLength) != 0;
}
