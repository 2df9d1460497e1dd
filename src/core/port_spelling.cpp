// SPDX-License-Identifier: Apache-2.0
// A Windows port's one spelling, apart from the rest of port_names.h: only the command-line
// tool spells ports this way, and the window links none of it.
#include "core/port_names.h"

namespace {

// "\\.\" names a device, "\\?\" a path without parsing; either may stand before a port name.
constexpr const char* kDevicePrefixes[] = {"\\\\.\\", "\\\\?\\"};
constexpr std::size_t kDevicePrefixLength = 4;
constexpr char kDriveColon = ':';

}  // namespace

std::string CanonicalPortName(const std::string& name) {
    std::string port = name;
    for (const char* prefix : kDevicePrefixes)
        if (port.compare(0, kDevicePrefixLength, prefix) == 0) port.erase(0, kDevicePrefixLength);
    if (port.find_first_of("\\/") != std::string::npos) return name;
    if (!port.empty() && port.back() == kDriveColon) port.pop_back();
    for (char& c : port)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return port.empty() ? name : port;
}
