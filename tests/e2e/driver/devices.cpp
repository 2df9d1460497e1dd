// SPDX-License-Identifier: Apache-2.0
// What the system would do when devices come and go: registry values of COM ports, USB device
// keys written in one go (ClassGUID last, since that is what makes the device appear), and
// the WM_DEVICECHANGE broadcast that Wine never sends by itself.
#include "driver.h"

#include <dbt.h>

#include <cstring>

namespace {

const char kUsbEnumRoot[] = "System\\CurrentControlSet\\Enum\\USB\\";
const char kDefaultUsbDevice[] = "VID_2E3C&PID_5750";
const char kPortsClassGuid[] = "{4D36E978-E325-11CE-BFC1-08002BE10318}";
const char kSerialCommKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr UINT kBroadcastTimeoutMs = 2000;

// "HKLM\\path" or "HKCU\\path" (x:hex) into a root and a sub-path.
bool SplitKey(const Args& args, size_t index, HKEY* root, std::string* path) {
    std::string full;
    if (!ArgBytes(args, index, &full)) return false;
    size_t slash = full.find('\\');
    std::string rootName = full.substr(0, slash);
    *path = slash == std::string::npos ? "" : full.substr(slash + 1);
    if (rootName == "HKLM") *root = HKEY_LOCAL_MACHINE;
    else if (rootName == "HKCU") *root = HKEY_CURRENT_USER;
    else return false;
    return true;
}

std::string Status(LONG result, const char* what) {
    return result == ERROR_SUCCESS ? Ok() : Err(std::string(what) + " failed " + Num(result));
}

LONG SetString(HKEY key, const char* name, const std::string& value, DWORD type) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

}  // namespace

// regset KEY NAME TYPE DATA: TYPE is sz, multi_sz (DATA holds NUL-separated strings; the
// closing NULs are added), dword (DATA a number) or binary; NAME "-" is the default value.
static std::string RegSet(const Args& args) {
    HKEY root;
    std::string path, name, type = args.size() > 2 ? args[2] : "", data;
    if (!SplitKey(args, 0, &root, &path)) return Err("bad key");
    bool named = ArgBytes(args, 1, &name);
    HKEY key;
    LONG result = RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) return Status(result, "RegCreateKeyEx");
    const char* valueName = named ? name.c_str() : nullptr;
    if (type == "dword") {
        DWORD value = static_cast<DWORD>(ArgInt(args, 3));
        result = RegSetValueExA(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    } else {
        ArgBytes(args, 3, &data);
        if (type == "sz") result = SetString(key, valueName, data, REG_SZ);
        else if (type == "multi_sz") result = SetString(key, valueName, data + '\0', REG_MULTI_SZ);
        else if (type == "binary")
            result = RegSetValueExA(key, valueName, 0, REG_BINARY, reinterpret_cast<const BYTE*>(data.data()),
                                    static_cast<DWORD>(data.size()));
        else result = ERROR_INVALID_PARAMETER;
    }
    RegCloseKey(key);
    return Status(result, "RegSetValueEx");
}

// regdel KEY NAME: deletes one value.
static std::string RegDel(const Args& args) {
    HKEY root, key;
    std::string path, name;
    if (!SplitKey(args, 0, &root, &path)) return Err("bad key");
    bool named = ArgBytes(args, 1, &name);
    LONG result = RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (result != ERROR_SUCCESS) return Status(result, "RegOpenKeyEx");
    result = RegDeleteValueA(key, named ? name.c_str() : nullptr);
    RegCloseKey(key);
    return Status(result, "RegDeleteValue");
}

// regdelkey KEY: deletes a key with everything below it. The SERIALCOMM key is volatile and
// cannot be made again, so it is refused: delete its values instead.
static std::string RegDelKey(const Args& args) {
    HKEY root;
    std::string path;
    if (!SplitKey(args, 0, &root, &path)) return Err("bad key");
    if (lstrcmpiA(path.c_str(), kSerialCommKey) == 0) return Err("refusing to delete SERIALCOMM");
    // With a sub-key named, RegDeleteTree removes that key itself as well.
    return Status(RegDeleteTreeA(root, path.c_str()), "RegDeleteTree");
}

// regget KEY NAME: "OK type=N data=x:.."; "ERR ..." when missing.
static std::string RegGet(const Args& args) {
    HKEY root, key;
    std::string path, name;
    if (!SplitKey(args, 0, &root, &path)) return Err("bad key");
    bool named = ArgBytes(args, 1, &name);
    LONG result = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key);
    if (result != ERROR_SUCCESS) return Status(result, "RegOpenKeyEx");
    BYTE data[8192];
    DWORD size = sizeof data, type = 0;
    result = RegQueryValueExA(key, named ? name.c_str() : nullptr, nullptr, &type, data, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return Status(result, "RegQueryValueEx");
    return Ok("type=" + Num(type) + " data=" + HexOf(data, size));
}

// regvalues KEY: the value names of a key, then the values' data, as name=data pairs (x:hex).
static std::string RegValues(const Args& args) {
    HKEY root, key;
    std::string path;
    if (!SplitKey(args, 0, &root, &path)) return Err("bad key");
    LONG result = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key);
    if (result != ERROR_SUCCESS) return Status(result, "RegOpenKeyEx");
    std::string out;
    for (DWORD i = 0;; ++i) {
        char name[512];
        BYTE data[4096];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        if (!out.empty()) out += ' ';
        out += Hex(std::string(name, nameSize)) + "=" + HexOf(data, dataSize);
    }
    RegCloseKey(key);
    return Ok(out);
}

// usbadd INSTANCE PORT [HARDWARE_IDS] [DEVICE]: a USB device key as the system writes it for a
// plugged reader. HARDWARE_IDS: NUL-separated (default: the reader's revision id, then the
// one without revision); DEVICE: the key under Enum\USB (default VID_2E3C&PID_5750).
static std::string UsbAdd(const Args& args) {
    std::string instance, port, hardwareIds, device;
    ArgBytes(args, 0, &instance);
    ArgBytes(args, 1, &port);
    if (!ArgBytes(args, 2, &hardwareIds))
        hardwareIds = std::string("USB\\VID_2E3C&PID_5750&REV_0200") + '\0' + "USB\\VID_2E3C&PID_5750";
    if (!ArgBytes(args, 3, &device)) device = kDefaultUsbDevice;
    if (g_argError || instance.empty()) return Err("bad argument");
    std::string path = kUsbEnumRoot + device + "\\" + instance;
    HKEY key, parameters;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) return Status(result, "RegCreateKeyEx");
    result = SetString(key, "HardwareID", hardwareIds + '\0', REG_MULTI_SZ);
    if (result == ERROR_SUCCESS)
        result = RegCreateKeyExA(key, "Device Parameters", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &parameters, nullptr);
    if (result == ERROR_SUCCESS) {
        result = SetString(parameters, "PortName", port, REG_SZ);
        RegCloseKey(parameters);
    }
    if (result == ERROR_SUCCESS) result = SetString(key, "ClassGUID", kPortsClassGuid, REG_SZ);
    RegCloseKey(key);
    return Status(result, "writing the USB device");
}

// usbdel INSTANCE [DEVICE]: the unplug; the device key goes too when no instance is left.
static std::string UsbDel(const Args& args) {
    std::string instance, device;
    ArgBytes(args, 0, &instance);
    if (!ArgBytes(args, 1, &device)) device = kDefaultUsbDevice;
    if (g_argError || instance.empty()) return Err("bad argument");
    std::string devicePath = kUsbEnumRoot + device;
    std::string path = devicePath + "\\" + instance;
    LONG result = RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
    HKEY parent;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, devicePath.c_str(), 0, KEY_READ, &parent) == ERROR_SUCCESS) {
        DWORD subkeys = 0;
        RegQueryInfoKeyA(parent, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(parent);
        if (subkeys == 0) RegDeleteKeyA(HKEY_LOCAL_MACHINE, devicePath.c_str());
    }
    return Status(result, "deleting the USB device");
}

// broadcast [WPARAM]: WM_DEVICECHANGE to every top-level window, as the system sends it after
// a device node change (DBT_DEVNODES_CHANGED by default). Waits for the handlers to return.
static std::string Broadcast(const Args& args) {
    WPARAM event = static_cast<WPARAM>(ArgInt(args, 0, DBT_DEVNODES_CHANGED));
    DWORD_PTR result = 0;
    LRESULT sent = SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE, event, 0, SMTO_ABORTIFHUNG,
                                       kBroadcastTimeoutMs, &result);
    return Ok(Num(sent ? 1 : 0));
}

const CommandEntry kDeviceCommands[] = {
    {"regset", RegSet},
    {"regdel", RegDel},
    {"regdelkey", RegDelKey},
    {"regget", RegGet},
    {"regvalues", RegValues},
    {"usbadd", UsbAdd},
    {"usbdel", UsbDel},
    {"broadcast", Broadcast},
    {nullptr, nullptr},
};
