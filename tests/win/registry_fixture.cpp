// SPDX-License-Identifier: Apache-2.0
#include "registry_fixture.h"

#include <setupapi.h>

namespace {

constexpr wchar_t kSerialComm[] = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr wchar_t kUsbEnum[] = L"System\\CurrentControlSet\\Enum\\USB\\";
constexpr wchar_t kPortsClassGuid[] = L"{4D36E978-E325-11CE-BFC1-08002BE10318}";

DWORD Bytes(const std::wstring& s) { return static_cast<DWORD>((s.size() + 1) * sizeof(wchar_t)); }

}  // namespace

SerialCommFixture::SerialCommFixture() {
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSerialComm, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                    &key_, nullptr);
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, size = 0;
        if (RegEnumValueW(key_, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        Saved s{name, type, std::vector<BYTE>(size)};
        nameLength = 256;
        RegEnumValueW(key_, i, name, &nameLength, nullptr, &type, s.data.data(), &size);
        saved_.push_back(s);
    }
    Clear();
}

SerialCommFixture::~SerialCommFixture() {
    Clear();
    for (const Saved& s : saved_)
        RegSetValueExW(key_, s.name.c_str(), 0, s.type, s.data.data(), static_cast<DWORD>(s.data.size()));
    RegCloseKey(key_);
}

void SerialCommFixture::Clear() {
    for (;;) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumValueW(key_, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (RegDeleteValueW(key_, name) != ERROR_SUCCESS) break;
    }
}

void SerialCommFixture::AddPort(const std::wstring& valueName, const std::wstring& port) {
    AddValue(valueName, REG_SZ, port.c_str(), Bytes(port));
}

void SerialCommFixture::AddValue(const std::wstring& valueName, DWORD type, const void* data, DWORD size) {
    RegSetValueExW(key_, valueName.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

std::vector<std::string> SerialCommFixture::EnumeratedPorts() const {
    std::vector<std::string> ports;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        wchar_t data[512] = {};
        DWORD nameLength = 256, type = 0, size = sizeof data - sizeof(wchar_t);
        if (RegEnumValueW(key_, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS)
            break;
        if (type != REG_SZ) continue;
        std::string narrow;
        for (const wchar_t* p = data; *p; ++p) narrow += static_cast<char>(*p & 0xFF);
        ports.push_back(narrow);
    }
    return ports;
}

UsbDevicesFixture::UsbDevicesFixture(const std::vector<FakeUsbDevice>& devices) {
    for (const FakeUsbDevice& d : devices) {
        const std::wstring path = kUsbEnum + d.deviceId + L"\\" + d.instance;
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            continue;
        created_.push_back(kUsbEnum + d.deviceId);
        std::wstring multi = d.hardwareId;
        multi.push_back(L'\0');
        multi += L"USB\\COMPOSITE";
        multi.push_back(L'\0');
        RegSetValueExW(key, L"HardwareID", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi.c_str()),
                       static_cast<DWORD>((multi.size() + 1) * sizeof(wchar_t)));
        if (!d.portName.empty()) {
            HKEY params = nullptr;
            RegCreateKeyExW(key, L"Device Parameters", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &params, nullptr);
            RegSetValueExW(params, L"PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(d.portName.c_str()),
                           Bytes(d.portName));
            RegCloseKey(params);
        }
        RegSetValueExW(key, L"ClassGUID", 0, REG_SZ, reinterpret_cast<const BYTE*>(kPortsClassGuid),
                       Bytes(kPortsClassGuid));
        RegCloseKey(key);
    }
}

UsbDevicesFixture::~UsbDevicesFixture() {
    for (const std::wstring& path : created_) RegDeleteTreeW(HKEY_LOCAL_MACHINE, path.c_str());
}

std::vector<std::wstring> EnumeratedUsbHardwareIds() {
    std::vector<std::wstring> ids;
    HDEVINFO devices = SetupDiGetClassDevsW(nullptr, L"USB", nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (devices == INVALID_HANDLE_VALUE) return ids;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
        wchar_t id[512] = {};
        if (SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_HARDWAREID, nullptr,
                                              reinterpret_cast<BYTE*>(id), sizeof id - sizeof(wchar_t), nullptr))
            ids.push_back(id);
        else
            ids.push_back(L"");
    }
    SetupDiDestroyDeviceInfoList(devices);
    return ids;
}
