// SPDX-License-Identifier: Apache-2.0
#pragma once
// Menu bar, right-click Quit menu, About dialog and the help file.
#include <windows.h>

extern HMENU g_languageMenu;

void BuildMenuBar();
void RebuildMenuBar();
void ShowQuitContextMenu(LPARAM lParam);
void ShowAboutDialog();
void OpenHelpFile();
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The boxes for the shell's answer r to opening the help file (none when it opened).
void ReportHelpResult(INT_PTR r);
