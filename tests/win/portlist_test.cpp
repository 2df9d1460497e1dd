// SPDX-License-Identifier: Apache-2.0
// The port combobox against the registry's SERIALCOMM list, with real controls under Wine.
#include <doctest/doctest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "registry_fixture.h"
#include "gui/portlist.h"
#include "gui/controls.h"

namespace {

struct ComboFixture {
    HWND parent;
    HWND combo;
    HWND savedCombo;
    ComboFixture() {
        parent = CreateWindowExA(0, "Static", "", WS_CHILD, 0, 0, 100, 100, HWND_MESSAGE, nullptr, nullptr, nullptr);
        combo = CreateWindowExA(0, "Combobox", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 150, 200, parent, nullptr,
                                nullptr, nullptr);
        savedCombo = g_controls.portCombo;
        g_controls.portCombo = combo;
    }
    ~ComboFixture() {
        g_controls.portCombo = savedCombo;
        DestroyWindow(parent);
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> entries;
        const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[64] = {};
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        return entries;
    }
    int Selected() const { return static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0)); }
    void SetEntries(const std::vector<std::string>& entries) {
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        for (const auto& e : entries) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
    }
};

using Names = std::vector<std::string>;

}  // namespace

TEST_CASE("the list is filled in registry order and sorted by port number") {
    SerialCommFixture registry;
    ComboFixture ui;
    registry.AddPort(L"\\Device\\Serial9", L"COM10");
    registry.AddPort(L"\\Device\\Serial2", L"COM3");
    registry.AddPort(L"\\Device\\Serial0", L"COM1");

    ui.SetEntries({"stale"});
    REQUIRE(FillPortList(ui.combo));
    CHECK(ui.Entries() == Names(registry.EnumeratedPorts()));  // the registry's enumeration order
    CHECK(ui.Selected() == 0);
    SortPortList(ui.combo);
    CHECK(ui.Entries() == Names{"COM1", "COM3", "COM10"});
    CHECK(ui.Selected() == 0);
}

TEST_CASE("the sort keeps the first 50 ports in enumeration order, duplicates and numbers past 99") {
    SerialCommFixture registry;
    ComboFixture ui;
    for (int n = 60; n >= 1; --n)
        registry.AddPort(L"\\Device\\Serial" + std::to_wstring(n), L"COM" + std::to_wstring(n));
    registry.AddPort(L"\\Device\\Twin", L"COM123");
    REQUIRE(FillPortList(ui.combo));
    CHECK(ui.Entries().size() == 61);
    SortPortList(ui.combo);
    const Names listed = ui.Entries();
    REQUIRE(listed.size() == 50);

    // The expected result from the registry's own order: the first 50, sorted numerically.
    Names firstFifty = registry.EnumeratedPorts();
    firstFifty.resize(50);
    std::vector<int> numbers;
    for (const auto& name : firstFifty) numbers.push_back(std::stoi(name.substr(3)));
    std::sort(numbers.begin(), numbers.end());
    Names expected;
    for (int n : numbers) expected.push_back("COM" + std::to_string(n));
    CHECK(listed == expected);

    registry.Clear();
    registry.AddPort(L"\\Device\\A", L"COM4");
    registry.AddPort(L"\\Device\\B", L"COM123");
    registry.AddPort(L"\\Device\\C", L"COM4");
    RefreshPortList();
    CHECK(ui.Entries() == Names{"COM4", "COM4", "COM123"});
}

TEST_CASE("values of other types are skipped; odd names become COM and their number") {
    SerialCommFixture registry;
    ComboFixture ui;
    const DWORD number = 7;
    registry.AddValue(L"\\Device\\Dword", REG_DWORD, &number, sizeof number);
    ui.SetEntries({"COM9"});
    REQUIRE(FillPortList(ui.combo));  // the key has values, none of them a port name
    CHECK(ui.Entries().empty());
    RefreshPortList();
    CHECK(ui.Entries().empty());  // no blank entry in this case

    registry.AddPort(L"\\Device\\Odd", L"PORTX");
    registry.AddPort(L"\\Device\\Long", L"COM" + std::wstring(300, L'7'));
    RefreshPortList();
    CHECK(ui.Entries() == Names{"COM0", "COM2147483647"});
}

TEST_CASE("with no port listed, a refresh leaves the single empty entry and enables the combobox") {
    SerialCommFixture registry;
    ComboFixture ui;
    ui.SetEntries({"COM5", "COM6"});
    SendMessageA(ui.combo, CB_SETCURSEL, 1, 0);
    CHECK_FALSE(FillPortList(ui.combo));  // no values: the list is emptied
    CHECK(ui.Entries().empty());

    EnableWindow(ui.combo, FALSE);
    RefreshPortList();
    CHECK(ui.Entries() == Names{""});
    CHECK(ui.Selected() == 0);
    CHECK(IsWindowEnabled(ui.combo));
    CHECK_FALSE(PortPresent("COM1"));
    CHECK_FALSE(PortPresent(""));
}

TEST_CASE("a port is selected by its exact name only") {
    ComboFixture ui;
    ui.SetEntries({"COM1", "COM3", "COM10", "COM123"});
    SendMessageA(ui.combo, CB_SETCURSEL, 0, 0);
    int index = -7;
    SelectPortByName(ui.combo, "COM10", &index);
    CHECK(index == 2);
    CHECK(ui.Selected() == 2);
    SelectPortByName(ui.combo, "COM123", &index);
    CHECK(index == 3);
    SelectPortByName(ui.combo, "com3", &index);  // case-sensitive: no match, nothing changes
    SelectPortByName(ui.combo, "COM", &index);
    SelectPortByName(ui.combo, "COM1234567890123456789", &index);
    CHECK(index == 3);
    CHECK(ui.Selected() == 3);

    char name[8];
    CHECK(ReadComboEntry(ui.combo, 3, name, sizeof name));
    CHECK(std::string(name) == "COM123");
    CHECK_FALSE(ReadComboEntry(ui.combo, 3, name, 6));  // would not fit: refused, not cut
    CHECK(std::string(name).empty());
    CHECK_FALSE(ReadComboEntry(ui.combo, 9, name, sizeof name));
}

TEST_CASE("a port is present when a port-name value equals it exactly, however long the values") {
    SerialCommFixture registry;
    const std::wstring longName = L"COM" + std::wstring(40, L'1');
    registry.AddPort(L"\\Device\\Serial2", L"COM3");
    registry.AddPort(L"\\Device\\Long", longName);
    registry.AddPort(L"\\Device\\Empty", L"");
    const DWORD number = 4;
    registry.AddValue(L"COM4", REG_DWORD, &number, sizeof number);
    CHECK(PortPresent("COM3"));
    CHECK_FALSE(PortPresent("com3"));
    CHECK_FALSE(PortPresent("COM4"));  // only port-name values count, not value names
    CHECK_FALSE(PortPresent(""));      // an empty value never matches
    CHECK(PortPresent(std::string(longName.begin(), longName.end()).c_str()));
    // The first 17 characters of a longer name are not that name.
    CHECK_FALSE(PortPresent(std::string(longName.begin(), longName.begin() + 17).c_str()));
}
