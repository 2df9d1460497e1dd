// SPDX-License-Identifier: Apache-2.0
// The USB reader found through the device installation functions: every present device of the
// "USB" enumerator whose hardware id is the reader's, and the "PortName" of its device key.
#include <windows.h>
#include <setupapi.h>

#include <cstdint>
#include <cstring>

#include "core/port_names.h"
#include "core/usb_identity.h"
#include "port/usb_devices_win.h"
#include "port/usb_locator.h"

namespace {

constexpr DWORD kHardwareIdBytes = 1024;
constexpr DWORD kPortNameBytes = 40;
constexpr DWORD kInstanceIdChars = 256;  // longer than any device instance id (200)
constexpr int kSpareTerminator = 1;  // one zero character past each capacity, never written

struct Search {
    char identity[kUsbIdentitySize];
    char identityAlt[kUsbIdentitySize];
    char* portName;
    bool found;
};

void MatchReader(const std::uint16_t* hardwareId, const std::uint16_t* port, const std::uint16_t*, void* context) {
    Search* search = static_cast<Search*>(context);
    // The first string of the multi-string, narrowed; it always fits its buffer.
    char narrowedId[kHardwareIdBytes / 2 + kSpareTerminator];
    NarrowLowBytes(hardwareId, narrowedId, sizeof narrowedId);
    char name[kPortNameSize];
    if (HardwareIdMatches(narrowedId, search->identity, search->identityAlt) &&
        NarrowLowBytes(port, name, sizeof name)) {
        std::memcpy(search->portName, name, sizeof name);
        search->found = true;
    }
}

}  // namespace

bool WalkUsbSerialDevices(UsbSerialDeviceFn each, void* context) {
    HDEVINFO devices = SetupDiGetClassDevsW(nullptr, L"USB", nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (devices == INVALID_HANDLE_VALUE) return false;

    // Both buffers have a zero character past the capacity the calls are given, so a value the
    // device reports without a terminator still ends inside the buffer.
    std::uint16_t hardwareId[kHardwareIdBytes / 2 + kSpareTerminator] = {};

    SP_DEVINFO_DATA device;
    for (DWORD member = 0;; ++member) {
        std::memset(&device, 0, sizeof device);
        device.cbSize = sizeof device;
        if (!SetupDiEnumDeviceInfo(devices, member, &device)) break;
        if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_HARDWAREID, nullptr,
                                               reinterpret_cast<BYTE*>(hardwareId), kHardwareIdBytes, nullptr))
            continue;
        HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        // A device whose key cannot be opened ends the whole search with what was found so far.
        if (key == INVALID_HANDLE_VALUE) break;

        std::uint16_t port[kPortNameBytes / 2 + kSpareTerminator] = {};
        DWORD type = 0;
        DWORD size = kPortNameBytes;
        const bool portRead = RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(port),
                                               &size) == ERROR_SUCCESS &&
                              type == REG_SZ;
        if (portRead && UsbPortNameAcceptable(port)) {
            std::uint16_t instanceId[kInstanceIdChars + kSpareTerminator] = {};
            if (!SetupDiGetDeviceInstanceIdW(devices, &device, reinterpret_cast<PWSTR>(instanceId), kInstanceIdChars,
                                             nullptr))
                instanceId[0] = 0;
            each(hardwareId, port, instanceId, context);
        }
        RegCloseKey(key);
    }
    SetupDiDestroyDeviceInfoList(devices);
    return true;
}

bool LocateUsbReader(char* portName, const char* vendor, const char* product, const char* revision,
                     const char* vendorAlt, const char* productAlt, const char* revisionAlt) {
    Search search;
    BuildUsbIdentity(search.identity, vendor, product, revision);
    BuildUsbIdentityAlt(search.identityAlt, vendorAlt, productAlt, revisionAlt);
    search.portName = portName;
    search.found = false;
    WalkUsbSerialDevices(MatchReader, &search);
    return search.found;
}

bool LocateUsbReader(char* portName) {
    return LocateUsbReader(portName, kUsbReaderVendor, kUsbReaderProduct, kUsbReaderRevision, kUsbReaderVendorMixed,
                           kUsbReaderProduct, kUsbReaderRevision);
}
