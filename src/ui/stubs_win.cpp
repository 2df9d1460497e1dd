#include "ui/controls.h"
#include "ui/lamps.h"
#include "ui/menus.h"
// Placeholder forms until the owning issue builds this part; delete when replaced.
MainControls g_controls;
HMENU g_languageMenu;
void CreateMainControls() {}
void ShowKruKrmPage(int) {}
void ShowUsbPage(int) {}
void ApplyKruKrmDefaults() {}
void ApplyUsbDefaults() {}
void OnReaderTabChanged() {}
void OnSettingRadioClicked(int) {}
bool IsRadioChecked(int) { return false; }
void InvalidateLamps() {}
void EraseOtherPageLamps() {}
void PaintIndicatorLamps() {}
void BuildMenuBar() {}
void RebuildMenuBar() {}
void ShowQuitContextMenu(LPARAM) {}
void ShowAboutDialog() {}
void OpenHelpFile() {}
INT_PTR CALLBACK AboutDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
