#pragma once
// The main window's controls: ids and the handles of every row of the control table.
#include <windows.h>

#include "ui/control_ids.h"

struct MainControls {
    HWND main;
    HWND portCombo, search, versionLabel, versionValue, tabs;
    HWND groupInterfaces, groupOperatingMode, groupIndicationControl, groupOutputFormat;
    HWND groupStandby, groupOutputType, groupTouchPoll, groupByteCount, groupCardForRead;
    HWND read, write, indicFrame;
    HWND radio[38];  // indexed by control id (3..13, 22..32, 35..37)
};

extern MainControls g_controls;

// Builds the menu bar, every control, the tab control and the page defaults.
void CreateMainControls();

void ShowKruKrmPage(int showCommand);
void ShowUsbPage(int showCommand);
void ApplyKruKrmDefaults();
void ApplyUsbDefaults();

// WM_NOTIFY with TCN_SELCHANGE.
void OnReaderTabChanged();
// WM_COMMAND for radio ids 3..13 and 22..25.
void OnSettingRadioClicked(int id);

// Convenience: the check state of a radio by id.
bool IsRadioChecked(int id);
