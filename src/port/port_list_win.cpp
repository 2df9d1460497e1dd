// SPDX-License-Identifier: Apache-2.0
// The command-line tool's port list on Windows: the SERIALCOMM values the window lists, each
// with the USB identity of the device whose "PortName" it is.
#include "port/port_list.h"

#include <algorithm>
#include <cstdio>

#include "core/port_names.h"
#include "core/usb_identity.h"
#include "port/serialcomm_win.h"
#include "port/usb_devices_win.h"

namespace {

constexpr int kHexDigits = 4;

std::string Narrow(const std::uint16_t* text) {
    std::string out;
    for (; *text != 0; ++text) out.push_back(static_cast<char>(*text & 0xFF));
    return out;
}

void CollectName(const std::uint16_t* text, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(Narrow(text));
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// "USB\VID_2E3C&PID_5750&REV_0200": the four digits after a label, in upper case.
std::string FieldAfter(const std::string& id, const char* label) {
    const std::string upper = Upper(id);
    const size_t at = upper.find(label);
    if (at == std::string::npos) return "";
    const std::string digits = upper.substr(at + std::char_traits<char>::length(label), kHexDigits);
    return digits.size() == kHexDigits ? digits : "";
}

struct UsbPort {
    std::string port;
    std::string vendor;
    std::string product;
    std::string serial;
    bool reader;
};

void CollectUsbPort(const std::uint16_t* hardwareId, const std::uint16_t* portName, const std::uint16_t* instanceId,
                    void* context) {
    auto* ports = static_cast<std::vector<UsbPort>*>(context);
    const std::string id = Narrow(hardwareId);
    ports->push_back(UsbPort{Narrow(portName), FieldAfter(id, "VID_"), FieldAfter(id, "PID_"),
                             UsbSerialFromInstanceId(Narrow(instanceId).c_str()), IsUsbReaderHardwareId(id.c_str())});
}

}  // namespace

std::vector<PortInfo> ListSerialPorts() {
    std::vector<std::string> names;
    ForEachSerialCommPort(CollectName, &names);
    std::vector<UsbPort> usb;
    WalkUsbSerialDevices(CollectUsbPort, &usb);

    std::vector<PortInfo> ports;
    for (const std::string& name : names) {
        PortInfo info;
        info.name = name;
        info.path = info.name;
        info.isUsbReader = false;
        for (const UsbPort& device : usb) {
            if (CanonicalPortName(device.port) != CanonicalPortName(info.name)) continue;
            info.usbVendor = device.vendor;
            info.usbProduct = device.product;
            info.usbSerial = device.serial;
            info.isUsbReader = device.reader;
        }
        ports.push_back(info);
    }
    std::sort(ports.begin(), ports.end(), [](const PortInfo& a, const PortInfo& b) {
        const int na = PortNumberFromText(a.name.c_str());
        const int nb = PortNumberFromText(b.name.c_str());
        return na != nb ? na < nb : a.name < b.name;
    });
    return ports;
}

bool IsConsolePort(const std::string&) { return false; }
