// SPDX-License-Identifier: Apache-2.0
#include "port/serialcomm_win.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "core/port_names.h"

namespace {

constexpr const wchar_t kSerialCommKey[] = L"HARDWARE\\DEVICEMAP\\SERIALCOMM\\";

// The open SERIALCOMM key with buffers sized from RegQueryInfoKeyW: (longest name + 1)
// characters for names and (longest data + 1) * 2 bytes for data, so that data read with a
// capacity of the longest data is always followed by at least one zero character.
struct SerialCommKey {
    HKEY key = nullptr;
    DWORD valueCount = 0;
    DWORD nameCapacity = 0;  // characters
    DWORD dataCapacity = 0;  // bytes
    wchar_t* name = nullptr;
    std::uint16_t* data = nullptr;
};

void CloseSerialCommKey(SerialCommKey* k) {
    std::free(k->name);
    std::free(k->data);
    k->name = nullptr;
    k->data = nullptr;
    if (k->key) RegCloseKey(k->key);
    k->key = nullptr;
}

bool OpenSerialCommKey(SerialCommKey* k) {
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSerialCommKey, 0, KEY_READ, &k->key) != ERROR_SUCCESS) {
        k->key = nullptr;
        return false;
    }
    DWORD longestName = 0, longestData = 0;
    if (RegQueryInfoKeyW(k->key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &k->valueCount,
                         &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
        CloseSerialCommKey(k);
        return false;
    }
    k->nameCapacity = longestName + 1;
    k->dataCapacity = longestData;
    k->name = static_cast<wchar_t*>(std::calloc(longestName + 1, sizeof(wchar_t)));
    k->data = static_cast<std::uint16_t*>(std::calloc(static_cast<size_t>(longestData) + 1, 2 * sizeof(char)));
    if (!k->name || !k->data) {
        CloseSerialCommKey(k);
        return false;
    }
    return true;
}

// Reads value index into k->data; true when it is a REG_SZ, its text then zero-terminated.
bool ReadPortValue(SerialCommKey* k, DWORD index) {
    DWORD nameLength = k->nameCapacity;
    DWORD dataSize = k->dataCapacity;
    DWORD type = 0;
    std::memset(k->data, 0, (static_cast<size_t>(k->dataCapacity) + 1) * 2);
    if (RegEnumValueW(k->key, index, k->name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(k->data),
                      &dataSize) != ERROR_SUCCESS)
        return false;
    return type == REG_SZ;
}

}  // namespace

int ForEachSerialCommPort(SerialCommPortFn each, void* context) {
    SerialCommKey k;
    if (!OpenSerialCommKey(&k)) return -1;
    for (DWORD i = 0; i < k.valueCount; ++i)
        if (ReadPortValue(&k, i)) each(k.data, context);
    const int valueCount = static_cast<int>(k.valueCount);
    CloseSerialCommKey(&k);
    return valueCount;
}

bool SerialCommPortPresent(const char* name) {
    SerialCommKey k;
    if (!OpenSerialCommKey(&k)) return false;
    bool present = false;
    for (DWORD i = 0; i < k.valueCount && !present; ++i)
        if (ReadPortValue(&k, i)) present = NarrowedEquals(k.data, name);
    CloseSerialCommKey(&k);
    return present;
}
