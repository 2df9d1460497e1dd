// SPDX-License-Identifier: Apache-2.0
// The USB serial number in a device instance id, apart from the rest of usb_identity.h: only
// the command-line tool's port list shows it, and the window links none of it.
#include <cstring>

#include "core/usb_identity.h"

namespace {

constexpr char kInstanceSeparator = '\\';
constexpr char kGeneratedIdMark = '&';

}  // namespace

std::string UsbSerialFromInstanceId(const char* instanceId) {
    if (instanceId == nullptr) return std::string();
    const char* last = std::strrchr(instanceId, kInstanceSeparator);
    if (last == nullptr) return std::string();
    const std::string serial = last + 1;
    return serial.find(kGeneratedIdMark) == std::string::npos ? serial : std::string();
}
