#pragma once
// The main window's controls: ids and the handles of every row of the control table.
#include <windows.h>

enum ControlId : int {
    IdPortCombo = 1,
    IdSearch = 2,
    IdTouchMemory = 3, IdWiegand26 = 4, IdWiegand44 = 5, IdWiegand58 = 6,
    IdDirect = 7, IdInverse = 8,
    IdDynamic = 9, IdStatic = 10, IdStandbyOff = 11,
    IdPollOn = 12, IdPollOff = 13,
    IdRead = 14, IdWrite = 15,
    IdQuit = 16, IdRussian = 17, IdEnglish = 18, IdReadId = 19, IdHelp = 20, IdAbout = 21,
    IdModeWindows = 22, IdModeAll = 23,
    IdHexOrDec = 24, IdFormatTouchMemory = 25,
    IdHex = 26, IdDec = 27,
    IdBytes7 = 28, IdBytes5 = 29, IdBytes4 = 30, IdBytes3 = 31, IdBytes2 = 32,
    IdVersionLabel = 33, IdVersionValue = 34,
    IdCardsAll = 35, IdCardsEmHid = 36, IdCardsMifare = 37,
};

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
