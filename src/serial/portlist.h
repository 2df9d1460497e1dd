#pragma once
// The list of the system's COM ports in the port combobox.
#include <windows.h>

constexpr int kMaxListedPorts = 50;

bool FillPortList(HWND combo);
void SortPortList(HWND combo);
void RefreshPortList();
void SelectPortByName(HWND combo, const char* name, int* index);
bool PortPresent(const char* name);
