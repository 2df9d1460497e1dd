// SPDX-License-Identifier: Apache-2.0
#pragma once
// The list of the system's COM ports in the port combobox.
#include <windows.h>

#include "core/port_names.h"

bool FillPortList(HWND combo);
void SortPortList(HWND combo);
void RefreshPortList();
void SelectPortByName(HWND combo, const char* name, int* index);
bool PortPresent(const char* name);

// The text of one combobox entry, however long, read without a fixed-size buffer. Returns false
// (out empty) when index has no entry or the text does not fit in size bytes.
bool ReadComboEntry(HWND combo, int index, char* out, int size);
