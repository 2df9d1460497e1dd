// SPDX-License-Identifier: Apache-2.0
#pragma once
// The serial ports of the system, for the command-line tool: name, device path and the USB
// identity where the port belongs to a USB device.
#include <string>
#include <vector>

struct PortInfo {
    std::string name;        // "COM3" on Windows, "ttyUSB0" on Linux
    std::string path;        // what OpenSerialPort takes: "COM3", "/dev/ttyUSB0"
    std::string usbVendor;   // four upper-case hex digits, empty when not a USB port
    std::string usbProduct;
    std::string usbSerial;   // empty when the device has none or it is not known
    bool isUsbReader;        // the USB reader's identity (core/usb_identity.h)
    bool isConsole = false;  // Linux: the kernel's console port, which is never opened
};

// Every serial port the system lists, sorted by name (numbers in number order). Windows: the
// SERIALCOMM values of the registry and the USB devices of the device installation functions;
// Linux: the real devices of /sys/class/tty and their USB identity from sysfs.
std::vector<PortInfo> ListSerialPorts();

// A console, which no command opens and find or a glob leaves out: on Linux /dev/console,
// the virtual consoles and the kernel's console port (see port/port_in_use.h). Never on Windows.
bool IsConsolePort(const std::string& path);
