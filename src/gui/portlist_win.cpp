// SPDX-License-Identifier: Apache-2.0
// The port combobox filled from HKLM\HARDWARE\DEVICEMAP\SERIALCOMM: one REG_SZ value per port,
// in the registry's enumeration order, then sorted by number.
#include "gui/portlist.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gui/controls.h"
#include "port/serialcomm_win.h"

namespace {

constexpr int kPortTextSize = 16;  // "COM" + any int in decimal + terminator

// The list is emptied once the key is open, right before its first entry.
struct PortFill {
    HWND combo;
    bool emptied;
};

void AddPort(const std::uint16_t* text, void* context) {
    PortFill* fill = static_cast<PortFill*>(context);
    if (!fill->emptied) SendMessageA(fill->combo, CB_RESETCONTENT, 0, 0);
    fill->emptied = true;
    SendMessageW(fill->combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
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
    PortFill fill = {combo, false};
    const int valueCount = ForEachSerialCommPort(AddPort, &fill);
    if (valueCount < 0) return false;
    if (!fill.emptied) SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    if (valueCount == 0) return false;
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

bool PortPresent(const char* name) { return SerialCommPortPresent(name); }
