// The port combobox filled from HKLM\HARDWARE\DEVICEMAP\SERIALCOMM: one REG_SZ value per port,
// in the registry's enumeration order, then sorted by number.
#include "serial/portlist.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ui/controls.h"

namespace {

constexpr const wchar_t kSerialCommKey[] = L"HARDWARE\\DEVICEMAP\\SERIALCOMM\\";
constexpr int kPortTextSize = 16;  // "COM" + any int in decimal + terminator

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

int EntryCount(HWND combo) { return static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0)); }

}  // namespace

bool ReadComboEntry(HWND combo, int index, char* out, int size) {
    if (size <= 0) return false;
    out[0] = '\0';
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR || length < 0 || length >= size) return false;
    // The length may be an upper bound (multi-byte conversions); the buffer still fits it.
    if (SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(out)) == CB_ERR) {
        out[0] = '\0';
        return false;
    }
    out[size - 1] = '\0';
    return true;
}

bool FillPortList(HWND combo) {
    SerialCommKey k;
    if (!OpenSerialCommKey(&k)) return false;
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (DWORD i = 0; i < k.valueCount; ++i) {
        if (ReadPortValue(&k, i)) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(k.data));
    }
    const bool anyValue = k.valueCount > 0;
    CloseSerialCommKey(&k);
    if (!anyValue) return false;
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    return true;
}

void SortPortList(HWND combo) {
    const int count = EntryCount(combo);
    if (count <= 0) {
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
        return;
    }
    // Entries are read whatever their length; only the number after the first three
    // characters matters.
    std::vector<std::vector<char>> texts;
    std::vector<const char*> entries;
    for (int i = 0; i < count && i < kMaxListedPorts; ++i) {
        const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, i, 0);
        std::vector<char> text(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
        if (length > 0) SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.back() = '\0';
        texts.push_back(std::move(text));
    }
    for (const auto& text : texts) entries.push_back(text.data());

    int numbers[kMaxListedPorts];
    const int n = SortedPortNumbers(entries.data(), static_cast<int>(entries.size()), numbers);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < n; ++i) {
        char name[kPortTextSize];
        FormatPortName(numbers[i], name, sizeof name);
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

void RefreshPortList() {
    HWND combo = g_controls.portCombo;
    EnableWindow(combo, TRUE);
    if (FillPortList(combo)) {
        SortPortList(combo);
        return;
    }
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

void SelectPortByName(HWND combo, const char* name, int* index) {
    const int count = EntryCount(combo);
    const size_t nameLength = std::strlen(name);
    std::vector<char> text(nameLength + 2, '\0');
    for (int i = 0; i < count; ++i) {
        // Only an entry of the same length can be equal; longer ones are never read in full.
        if (!ReadComboEntry(combo, i, text.data(), static_cast<int>(text.size()))) continue;
        if (std::strcmp(text.data(), name) == 0) {
            SendMessageA(combo, CB_SETCURSEL, i, 0);
            *index = i;
            return;
        }
    }
}

bool PortPresent(const char* name) {
    SerialCommKey k;
    if (!OpenSerialCommKey(&k)) return false;
    bool present = false;
    for (DWORD i = 0; i < k.valueCount && !present; ++i) {
        // The whole registry name is compared, however long: no narrowing buffer to overflow.
        if (ReadPortValue(&k, i)) present = NarrowedEquals(k.data, name);
    }
    CloseSerialCommKey(&k);
    return present;
}
