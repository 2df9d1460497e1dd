// SPDX-License-Identifier: Apache-2.0
#pragma once
// The main window's controls: ids and the handles of every row of the control table.
#include <windows.h>

#include <cstddef>

#include "gui/control_ids.h"

constexpr int kRadioSlots = IdCardsMifare + 1;

struct MainControls {
    HWND main;
    HWND portCombo, search, versionLabel, versionValue, tabs;
    HWND groupInterfaces, groupOperatingMode, groupIndicationControl, groupOutputFormat;
    HWND groupStandby, groupOutputType, groupTouchPoll, groupByteCount, groupCardForRead;
    HWND read, write, indicFrame;
    HWND radio[kRadioSlots];  // indexed by control id (3..13, 22..32, 35..37); others null
};

extern MainControls g_controls;

// Builds the menu bar, every control, the tab control and the page defaults.
void CreateMainControls();
// Gives every control whose text depends on the language its text in UiText, in the order
// they were created; both pages, shown or hidden. The tabs, the port list, the version value
// and the radio captions that read the same in both languages keep their texts.
void RelabelMainControls();
// The tab control with its two tabs, selected after g_readerFamily.
void CreateReaderTabs();

void ShowKruKrmPage(int showCommand);
void ShowUsbPage(int showCommand);
void ApplyKruKrmDefaults();
void ApplyUsbDefaults();

// The radios of the settings that mean something only beside one value of this one are
// usable with that value only; false when no setting depends on this one.
bool EnableDependentRadios(int family, std::size_t setting, int value);

// WM_NOTIFY with TCN_SELCHANGE.
void OnReaderTabChanged();
// WM_COMMAND for a setting radio: the lamp its choice colours, the groups that depend on it.
void OnSettingRadioClicked(int id);

// Convenience: the check state of a radio by id (false for ids that are not radios).
bool IsRadioChecked(int id);
