// SPDX-License-Identifier: Apache-2.0
#pragma once
// Test fixtures that stand in for the system's devices: the SERIALCOMM list of COM ports and
// USB device keys, written in the test prefix and put back as they were afterwards.
#include <windows.h>

#include <string>
#include <vector>

// Empties HKLM\HARDWARE\DEVICEMAP\SERIALCOMM for the test and restores its values afterwards.
class SerialCommFixture {
public:
    SerialCommFixture();
    ~SerialCommFixture();
    void AddPort(const std::wstring& valueName, const std::wstring& port);
    void AddValue(const std::wstring& valueName, DWORD type, const void* data, DWORD size);
    void Clear();
    // The port names in the registry's own enumeration order (REG_SZ values only).
    std::vector<std::string> EnumeratedPorts() const;

private:
    struct Saved {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    HKEY key_ = nullptr;
    std::vector<Saved> saved_;
};

// One fake USB device under HKLM\System\CurrentControlSet\Enum\USB\<deviceId>\<instance>.
struct FakeUsbDevice {
    std::wstring deviceId;      // e.g. VID_2E3C&PID_5750
    std::wstring instance;      // e.g. 1
    std::wstring hardwareId;    // first string of HardwareID
    std::wstring portName;      // PortName of Device Parameters; empty: no Device Parameters key
};

// Writes the devices (ClassGUID last, so a device is never seen half-written) and removes them
// again on destruction.
class UsbDevicesFixture {
public:
    explicit UsbDevicesFixture(const std::vector<FakeUsbDevice>& devices);
    ~UsbDevicesFixture();

private:
    std::vector<std::wstring> created_;
};

// The hardware ids of the "USB" enumerator's devices in the order the device functions list them.
std::vector<std::wstring> EnumeratedUsbHardwareIds();
